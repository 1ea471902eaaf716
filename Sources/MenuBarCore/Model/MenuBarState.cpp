#include "MenuBarCore/Model/MenuBarState.h"

namespace pellacor::core {

std::string_view rawValue(MenuBarState state) {
    switch (state) {
    case MenuBarState::starting:
        return "starting";
    case MenuBarState::needsPermission:
        return "needsPermission";
    case MenuBarState::paused:
        return "paused";
    case MenuBarState::collapsed:
        return "collapsed";
    case MenuBarState::revealed:
        return "revealed";
    case MenuBarState::revealedAll:
        return "revealedAll";
    case MenuBarState::privacyOverride:
        return "privacyOverride";
    }
    return "starting";
}

std::optional<MenuBarState> menuBarStateFromRawValue(std::string_view text) {
    for (auto state : allMenuBarStates) {
        if (rawValue(state) == text) {
            return state;
        }
    }
    return std::nullopt;
}

std::string toString(MenuBarState state) {
    return std::string(rawValue(state));
}

} // namespace pellacor::core
