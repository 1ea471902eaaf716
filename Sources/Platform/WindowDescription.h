#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <cstdint>
#include <optional>

namespace pellacor::platform {

// One window as the window server describes it in its window list. Each entry
// is what the description's key holds, when it holds a value of the usual kind;
// a caller checks the range it needs (a window number is an unsigned 32-bit
// value, a process identifier a signed one).
struct WindowDescription {
    std::optional<std::int64_t> number;   // "kCGWindowNumber"
    std::optional<std::int64_t> ownerPID; // "kCGWindowOwnerPID"
    std::optional<std::int64_t> layer;    // "kCGWindowLayer"; 0 for documents, 101 for pop-up menus
    // "kCGWindowBounds", in top-down coordinates (origin at the top left of the
    // first screen, y down).
    std::optional<core::Rect> bounds;
    std::optional<bool> isOnScreen; // "kCGWindowIsOnscreen"

    bool operator==(const WindowDescription&) const = default;
};

} // namespace pellacor::platform
