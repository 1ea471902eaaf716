#pragma once

#include "Platform/Simulated/MenuBarRestriction.h"
#include "Platform/Simulated/PlacedStatusItem.h"
#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedScreen.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::platform {

// Lays out the right-hand side of the simulated menu bar. Starting at the
// screen's right edge and going leftwards, it places the system's items first,
// then the items of the running applications. Those with a position in the
// layout table (keyed "status:" + owner + "::" + item name, see MenuBarLayoutFile)
// come next, the smallest position rightmost; equal positions keep the order
// below. The items without a position follow further left, in the order the
// applications are listed, each application's items in their own order. A
// restriction leaves out what it does not allow; an item that would reach past
// the screen's left edge folds away, and so does everything left of it. On a
// screen with a camera housing the items stand right of the housing and fold
// at its right edge; while any item folds there, the system's overflow chevron
// stands leftmost (taking the place of the items it needs room for). An item
// without a position in the table falls back on its preferred position.
class MenuBarLayout {
public:
    // The placed items from left to right. `firstScreenFrame` anchors the top-down coordinates.
    static std::vector<PlacedStatusItem> place(const SimulatedScreen& screen,
                                               const core::Rect& firstScreenFrame,
                                               const std::vector<SimulatedApplication>& applications,
                                               const std::optional<MenuBarRestriction>& restriction,
                                               const std::map<std::string, double>& positions = {});

    // The name of an application's item in the layout table: its own name, or
    // "Item-" and the count of the owner's items before it that have none.
    static std::string itemName(const std::vector<SimulatedStatusItem>& items, std::size_t index);

    // The frame of the application's item at `index` among the placed items, or
    // nothing when it is not on the bar. Equal items of one owner are placed in
    // their own order, so the n-th placed copy is the n-th in the list.
    static std::optional<core::Rect> frameOf(const std::vector<PlacedStatusItem>& placed,
                                             const SimulatedApplication& app, std::size_t index);

    // Whether a restriction (or none) lets the item of this owner show. An item
    // hidden while restricted shows only without one.
    static bool isAllowed(const SimulatedStatusItem& item,
                          const std::optional<std::string>& ownerBundleIdentifier,
                          const std::optional<MenuBarRestriction>& restriction);

private:
    // Adds the first running overflow chevron at the left of `placed` (right to
    // left; `right` is where the leftmost placed item begins).
    static void placeChevron(const std::vector<SimulatedApplication>& applications, double leftEnd,
                             double top, double height, double right, std::vector<PlacedStatusItem>& placed);
};

} // namespace pellacor::platform
