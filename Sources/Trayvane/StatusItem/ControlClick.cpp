#include "Trayvane/StatusItem/ControlClick.h"

#include "Platform/InputState.h"

namespace pellacor::app {

ControlClick ControlClick::decide(const std::optional<platform::StatusItem::ClickEvent>& event,
                                  std::uint64_t keyboardModifierFlags, core::MenuBarState state) {
    using Kind = platform::StatusItem::ClickEvent::Kind;
    const ControlClick menu{ControlClick::Kind::openMenu, false};
    bool withAll = false;
    if (event) {
        const std::uint64_t modifiers = event->modifierFlags | keyboardModifierFlags;
        switch (event->kind) {
        case Kind::leftMouseDown:
        case Kind::leftMouseUp:
            if ((modifiers & platform::InputState::controlFlag) != 0) {
                return menu;
            }
            withAll = (modifiers & platform::InputState::shiftFlag) != 0;
            break;
        case Kind::rightMouseDown:
        case Kind::rightMouseUp:
            return menu;
        }
    }
    if (state == core::MenuBarState::needsPermission) {
        return {ControlClick::Kind::openPermissionGuide, false};
    }
    if (state == core::MenuBarState::paused) {
        return menu;
    }
    return {ControlClick::Kind::toggle, withAll};
}

} // namespace pellacor::app
