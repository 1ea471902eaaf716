#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

namespace pellacor::demo {

// The simulated keyboard: Qt's keys as the virtual key codes of the simulated
// system, and Qt's modifiers as its hot-key and event modifier bits (Ctrl
// standing for Command, Alt for Option, Meta for Control).
struct KeyCodes {
    // The virtual key code of a Qt key; nothing for a key the simulated keyboard lacks.
    static std::optional<std::uint32_t> virtualKeyCode(int qtKey);
    // The hot-key manager's modifier bits (cmdKey, shiftKey, optionKey, controlKey).
    static std::uint32_t hotKeyModifiers(Qt::KeyboardModifiers modifiers);
    // The input state's modifier flags.
    static std::uint64_t modifierFlags(Qt::KeyboardModifiers modifiers);
};

} // namespace pellacor::demo
