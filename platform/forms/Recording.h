#pragma once
// Inside the form layer only: writing to the installed driver's transcript.
#include <string>
#include <vector>

#include "platform/forms/Controls.h"

#include "platform/forms/UserDriver.h"

namespace platform::forms::detail {

// Appends a line to the installed driver's transcript and tells the driver; no driver, no record.
void Record(TranscriptKind kind, std::string line);

// The control as the user sees it: "NAME: KIND STATE [disabled] [focus]", then its detail lines.
std::vector<std::string> ControlLines(const Control& control);

} // namespace platform::forms::detail
