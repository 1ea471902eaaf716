#pragma once

#include <cstdint>
#include <string>

namespace pellacor::system {

// A global keyboard shortcut: a virtual key code with Carbon modifier bits
// (control 0x1000, shift 0x0200), and how it is shown to the user.
struct Hotkey {
    std::uint32_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;
    std::string displayName;

    // Toggles the reveal of the hidden items: control-shift-B.
    static const Hotkey reveal;
    // Opens or closes the search panel: control-shift-F.
    static const Hotkey search;

    bool operator==(const Hotkey&) const = default;
};

inline const Hotkey Hotkey::reveal{11, 0x1200, "⌃⇧B"};
inline const Hotkey Hotkey::search{3, 0x1200, "⌃⇧F"};

} // namespace pellacor::system
