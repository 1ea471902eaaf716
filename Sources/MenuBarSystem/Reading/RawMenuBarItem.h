#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <optional>
#include <string>

namespace pellacor::system {

// One element of an application's extras menu bar, as read: its texts and its
// frame (top-down coordinates), each absent when it could not be read.
struct RawMenuBarItem {
    std::optional<std::string> identifier;
    std::optional<std::string> axDescription;
    std::optional<std::string> title;
    std::optional<core::Rect> frame;

    bool operator==(const RawMenuBarItem&) const = default;

    // Shows the frame only, so an item's texts never reach a log through it:
    // "RawMenuBarItem((10, 0, 24, 24))", or "RawMenuBarItem(位置なし)" without a frame.
    std::string description() const;
};

} // namespace pellacor::system
