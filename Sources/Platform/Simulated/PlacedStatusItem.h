#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/Simulated/SimulatedStatusItem.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pellacor::platform {

// A status item as it stands on the simulated menu bar: its owner, the item and
// its frame in top-down coordinates (origin at the top left of the first screen, y down).
struct PlacedStatusItem {
    std::optional<std::string> ownerBundleIdentifier;
    std::int32_t ownerProcessIdentifier = 0;
    SimulatedStatusItem item;
    core::Rect frame;

    bool operator==(const PlacedStatusItem&) const = default;
};

} // namespace pellacor::platform
