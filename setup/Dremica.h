#pragma once
// The uninstaller: takes the integration's additions out of the planning program's global template
// again (the menu, the organizer items, the activation procedure and the reference), interactively
// or silently while the setup wizard's window is open.
#include <memory>
#include <string>
#include <vector>

#include "platform/msproject/Application.h"
#include "setup/basMsPComp.h"

namespace Dremica {

inline constexpr char kWithForm[] = "WithForm";
inline constexpr char kWithoutForm[] = "WithoutForm";

inline constexpr char kTitle[] = "Kova Production Phase Plan Integration";
inline constexpr char kQuestion[] = "Are you sure you want to remove the Kova Integration components\r\nfrom "
                                    "the Microsoft Project Global Template";
inline constexpr char kRemovedMessage[] =
    "Kova Integration components successfully removed from\r\nfrom the Microsoft Project Global Template";
// Shown in place of the success message when the removal fell short.
inline constexpr char kNotStartedMessage[] = "Microsoft Project could not be started. Nothing was removed "
                                             "from\r\nthe Microsoft Project Global Template";
inline constexpr char kIncompleteMessage[] =
    "The Kova Integration components could not all be removed from\r\nthe Microsoft Project Global Template. "
    "Still there:";

inline constexpr char kStatusMenu[] = "Removing the \"Kova Project Plan\" Menu Bar from Microsoft Project";
inline constexpr char kStatusItems[] =
    "Removing the Modules, Views, Tables and Filters from Microsoft Project";
inline constexpr char kStatusEventCode[] =
    "Removing the \"Project Activate Event Code\" from Microsoft Project";
inline constexpr char kStatusReference[] =
    "Removing the reference to the Integration Application from Microsoft Project";

// The application object of the run.
extern std::shared_ptr<platform::msproject::Application> ProjectApp;

// The program's entry (no command line is read).
void Main();
// The removal run, in mode kWithForm or kWithoutForm.
void RemoveFromGlobalTemplate(const std::string& mode);

void RemoveIntegrationMenu();
void DeleteTemplateItems();
void RemoveActivateEventCode();
void RemoveServerReference();

// What the last removal run of the process left in the global template ("Microsoft Project" itself
// when the program could not be started); empty after a complete removal. Drives the exit code.
const std::vector<std::string>& LastRunLeftOver();
// Whether a removal run happened in this process since Main started.
bool RemovalRan();

} // namespace Dremica
