#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// The state of the menu-bar controller. Apple applications and the program itself
// stay on the bar in every state; the comments speak of the others.
enum class MenuBarState {
    starting,        // start-up checks not finished; nothing is hidden
    needsPermission, // waiting for the Accessibility permission; nothing is hidden
    paused,          // hiding suspended; nothing is hidden
    collapsed,       // only shown applications
    revealed,        // shown and hidden applications
    revealedAll,     // every application
    privacyOverride, // every application, because a capture device is in use
};

inline constexpr std::array<MenuBarState, 7> allMenuBarStates{
    MenuBarState::starting,        MenuBarState::needsPermission, MenuBarState::paused,
    MenuBarState::collapsed,       MenuBarState::revealed,        MenuBarState::revealedAll,
    MenuBarState::privacyOverride,
};

// "starting", "needsPermission", … (the case names).
std::string_view rawValue(MenuBarState state);
// Exactly the seven raw values; anything else is nothing.
std::optional<MenuBarState> menuBarStateFromRawValue(std::string_view text);
// For logs: the raw value.
std::string toString(MenuBarState state);

} // namespace pellacor::core
