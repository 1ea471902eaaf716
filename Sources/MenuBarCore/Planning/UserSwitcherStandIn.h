#pragma once

#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/MenuBarState.h"

#include <optional>
#include <string_view>
#include <vector>

namespace pellacor::core {

// The system's user-switching item lives among the items the program hides, so the
// program can show a substitute of its own in its place. These are the identity of
// the real item and the pure decisions around the substitute; every remembered
// value is the caller's.
class UserSwitcherStandIn {
public:
    UserSwitcherStandIn() = delete;

    // The system's own identifiers of the real switcher, used as they stand.
    static constexpr std::string_view ownerBundleID = "com.apple.MenuBarAgent";
    static constexpr std::string_view identifier = "com.apple.menuextra.user";
    // Width limit of the real switcher's icon, in points.
    static constexpr double iconWidthLimit = 30.0;
    // How long after a press on the substitute its fallback menu may still be offered, in seconds.
    static constexpr double fallbackLimit = 8.0;

    // The first item of the system agent with the switcher's accessibility identifier.
    static std::optional<ItemSnapshot> real(const std::vector<ItemSnapshot>& items);
    static bool contains(const std::vector<ItemSnapshot>& items);

    // Whether the real switcher is in the bar, from a fresh read. A missing item
    // proves nothing while items are hidden, nor while the chevron may cover it.
    static std::optional<bool> update(std::optional<bool> current, const std::vector<ItemSnapshot>& items,
                                      bool unrestricted);

    // From the system's Control Center setting for the switcher: bit 2 means it is
    // shown in the bar, else bit 8 means it is not; anything else tells nothing.
    static std::optional<bool> settingHint(std::optional<int> controlCenterValue);

    // The fallback menu is offered only within `fallbackLimit` of the press on the
    // substitute, and only if no other key or mouse press came after it.
    static bool shouldShowFallback(double secondsSincePress, double secondsSinceLastInput);

    // The substitute shows only when enabled, while the bar hides things (collapsed or
    // revealed), and only when the real switcher is known to be in the bar.
    static bool shouldShow(bool enabled, MenuBarState state, std::optional<bool> realInBar);
};

} // namespace pellacor::core
