#pragma once

#include "MenuBarCore/Model/MenuBarState.h"
#include "Platform/StatusItem.h"

#include <cstdint>
#include <optional>

namespace pellacor::app {

// What a click on the control item does.
struct ControlClick {
    enum class Kind { toggle, openPermissionGuide, openMenu };
    Kind kind = Kind::toggle;
    // For a toggle: include the always-hidden section.
    bool withAll = false;

    // `event` is the click as the button sent it (nothing when there is no
    // current event); its modifiers count together with the keyboard's.
    static ControlClick decide(const std::optional<platform::StatusItem::ClickEvent>& event,
                               std::uint64_t keyboardModifierFlags, core::MenuBarState state);

    bool operator==(const ControlClick&) const = default;
};

} // namespace pellacor::app
