#pragma once
// The record of a plan's ".obs" file, the cache of its project's OBS elements: 38 bytes, numbered
// from 1, without header or end record.
#include <cstddef>

#include "platform/os/FixedRecord.h"

namespace Grantry {

struct ObsElementRecord {
    static constexpr size_t kLength = 38;
    static constexpr platform::os::RecordField Code{0, 8};
    static constexpr platform::os::RecordField Description{8, 30};
};

} // namespace Grantry
