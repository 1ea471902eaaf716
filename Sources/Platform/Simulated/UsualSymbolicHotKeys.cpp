#include "Platform/Simulated/Scenario.h"

namespace pellacor::platform {

namespace {

// Carbon modifier bits.
constexpr std::uint32_t command = 0x0100;
constexpr std::uint32_t option = 0x0800;
constexpr std::uint32_t control = 0x1000;

} // namespace

std::vector<SimulatedHotkeyManager::SymbolicHotKey> Scenario::usualSymbolicHotKeys() {
    return {
        {.keyCode = 49, .modifiers = command, .enabled = true},          // Spotlight: Command-Space
        {.keyCode = 49, .modifiers = command | option, .enabled = true}, // Finder search window
        {.keyCode = 49, .modifiers = control, .enabled = false},         // previous input source
        {.keyCode = 126, .modifiers = control, .enabled = true},         // Mission Control: Control-Up
        {.keyCode = 125, .modifiers = control, .enabled = true},         // application windows: Control-Down
    };
}

} // namespace pellacor::platform
