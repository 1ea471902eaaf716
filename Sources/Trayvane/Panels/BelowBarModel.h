#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "Platform/GlobalEventMonitor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

// What the below-bar panel shows and how it reacts, as pure functions: the
// label of an entry (shared with the search panel), the grid's measures and
// the decision a click or key elsewhere on the desktop leads to.
struct BelowBarModel {
    using NameFunction = std::function<std::string(const std::string& bundleID)>;

    static constexpr int maxColumns = 8;
    static constexpr double cellWidth = 104;
    static constexpr double spacing = 4;
    static constexpr double padding = 8;
    static constexpr double iconSide = 28;
    static constexpr double iconLabelSpacing = 6;
    static constexpr double cellVerticalPadding = 8;
    static constexpr double emptyHorizontalPadding = 16;
    static constexpr double emptyVerticalPadding = 12;
    // The Escape key's code, and the Control key's modifier flag.
    static constexpr std::uint32_t escapeKeyCode = 53;
    static constexpr std::uint64_t controlFlag = 0x40000;

    // The application's display name, then a blank and the entry's ordinal
    // when it has one ("Quillow Sync 2").
    static std::string label(const core::BelowBarEntry& entry, const NameFunction& name);

    // The grid's columns for this many entries: one per entry, at most 8.
    static int columns(std::size_t count);
    // A cell's height for the height of its (wrapped) label: padding, icon,
    // spacing, label, padding.
    static double cellHeight(double labelHeight);

    // The cells of the grid laid out in list order, row by row, each row as
    // tall as its tallest cell and its cells aligned to its top; in the view's
    // coordinates (origin top left, y down), with the padding around. `size`
    // is the whole view's.
    struct Grid {
        core::Size size;
        std::vector<core::Rect> cells;
        bool operator==(const Grid&) const = default;
    };
    static Grid grid(const std::vector<double>& cellHeights);
    // The view's size when there is nothing to list: the line and its padding.
    static core::Size emptySize(core::Size text);

    // Whether a mouse-down sent to another application closes the panel: yes,
    // unless the pointer is on the control item and it is a left click without
    // Control (the control item handles that one) or a button other than the
    // left and right ones. Without a known control item every click closes it.
    // `modifierFlags` are the event's and the keyboard's together.
    static bool mouseDownCloses(platform::GlobalEventMonitor::EventKind kind, std::uint64_t modifierFlags,
                                core::Point pointer, const std::optional<core::Rect>& controlFrame);
    // Whether a key pressed in another application closes the panel: Escape only.
    static bool keyDownCloses(std::uint32_t keyCode);
};

} // namespace pellacor::app
