#include "Trayvane/Panels/BelowBarModel.h"

#include <algorithm>
#include <fmt/format.h>

namespace pellacor::app {

std::string BelowBarModel::label(const core::BelowBarEntry& entry, const NameFunction& name) {
    std::string text = name ? name(entry.bundleID) : entry.bundleID;
    if (!entry.ordinal) {
        return text;
    }
    // Formatted whole: GCC 12 at -O3 misreads an appended number as an overlapping copy.
    return fmt::format("{} {}", text, *entry.ordinal);
}

int BelowBarModel::columns(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, maxColumns));
}

double BelowBarModel::cellHeight(double labelHeight) {
    return cellVerticalPadding + iconSide + iconLabelSpacing + labelHeight + cellVerticalPadding;
}

BelowBarModel::Grid BelowBarModel::grid(const std::vector<double>& cellHeights) {
    Grid result;
    const int perRow = columns(cellHeights.size());
    if (perRow == 0) {
        result.size = {2 * padding, 2 * padding};
        return result;
    }
    double y = padding;
    for (std::size_t rowStart = 0; rowStart < cellHeights.size();
         rowStart += static_cast<std::size_t>(perRow)) {
        const std::size_t rowEnd = std::min(cellHeights.size(), rowStart + static_cast<std::size_t>(perRow));
        double rowHeight = 0;
        for (std::size_t i = rowStart; i < rowEnd; ++i) {
            const double x = padding + static_cast<double>(i - rowStart) * (cellWidth + spacing);
            result.cells.emplace_back(x, y, cellWidth, cellHeights[i]);
            rowHeight = std::max(rowHeight, cellHeights[i]);
        }
        y += rowHeight + (rowEnd < cellHeights.size() ? spacing : 0);
    }
    result.size = {2 * padding + perRow * cellWidth + (perRow - 1) * spacing, y + padding};
    return result;
}

core::Size BelowBarModel::emptySize(core::Size text) {
    return {text.width + 2 * emptyHorizontalPadding, text.height + 2 * emptyVerticalPadding};
}

bool BelowBarModel::mouseDownCloses(platform::GlobalEventMonitor::EventKind kind, std::uint64_t modifierFlags,
                                    core::Point pointer, const std::optional<core::Rect>& controlFrame) {
    using Kind = platform::GlobalEventMonitor::EventKind;
    if (!controlFrame || !controlFrame->contains(pointer)) {
        return true;
    }
    switch (kind) {
    case Kind::rightMouseDown:
        return true;
    case Kind::leftMouseDown:
        return (modifierFlags & controlFlag) != 0;
    case Kind::otherMouseDown:
    case Kind::keyDown:
        return false;
    }
    return false;
}

bool BelowBarModel::keyDownCloses(std::uint32_t keyCode) {
    return keyCode == escapeKeyCode;
}

} // namespace pellacor::app
