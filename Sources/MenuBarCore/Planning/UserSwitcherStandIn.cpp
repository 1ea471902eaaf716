#include "MenuBarCore/Planning/UserSwitcherStandIn.h"

#include "MenuBarCore/Planning/NotchPlanner.h"

#include <algorithm>

namespace pellacor::core {

namespace {
// Another input may follow the press on the substitute by this much and still count as the press itself.
constexpr double inputTolerance = 0.05;
} // namespace

std::optional<ItemSnapshot> UserSwitcherStandIn::real(const std::vector<ItemSnapshot>& items) {
    auto found = std::find_if(items.begin(), items.end(), [](const ItemSnapshot& item) {
        return item.ownerBundleID() == ownerBundleID && item.axIdentifier() == identifier;
    });
    if (found == items.end()) {
        return std::nullopt;
    }
    return *found;
}

bool UserSwitcherStandIn::contains(const std::vector<ItemSnapshot>& items) {
    return real(items).has_value();
}

std::optional<bool> UserSwitcherStandIn::update(std::optional<bool> current,
                                                const std::vector<ItemSnapshot>& items, bool unrestricted) {
    if (contains(items)) {
        return true;
    }
    if (!unrestricted) {
        return current;
    }
    // Lifted, so every item should be there; unless the chevron may be covering it.
    return NotchPlanner::chevron(items) ? current : std::optional<bool>(false);
}

std::optional<bool> UserSwitcherStandIn::settingHint(std::optional<int> controlCenterValue) {
    if (!controlCenterValue) {
        return std::nullopt;
    }
    if ((*controlCenterValue & 2) != 0) {
        return true;
    }
    if ((*controlCenterValue & 8) != 0) {
        return false;
    }
    return std::nullopt;
}

bool UserSwitcherStandIn::shouldShowFallback(double secondsSincePress, double secondsSinceLastInput) {
    return secondsSincePress >= 0 && secondsSincePress <= fallbackLimit &&
           secondsSincePress <= secondsSinceLastInput + inputTolerance;
}

bool UserSwitcherStandIn::shouldShow(bool enabled, MenuBarState state, std::optional<bool> realInBar) {
    return enabled && (state == MenuBarState::collapsed || state == MenuBarState::revealed) &&
           realInBar == true;
}

} // namespace pellacor::core
