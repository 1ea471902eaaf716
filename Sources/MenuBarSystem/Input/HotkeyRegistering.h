#pragma once

#include "MenuBarSystem/Input/Hotkey.h"
#include "MenuBarSystem/Input/HotkeyProblem.h"

#include <functional>
#include <optional>

namespace pellacor::system {

// Global hot keys for the application shell. Main thread only.
class HotkeyRegistering {
public:
    virtual ~HotkeyRegistering() = default;

    // Registers the key; `onPress` runs on the main thread at every press. Nothing
    // on success, otherwise why the key could not be had. (`register` is a
    // reserved word in C++, hence the longer name.)
    virtual std::optional<HotkeyProblem> registerHotkey(const Hotkey& hotkey,
                                                        std::function<void()> onPress) = 0;
    // Drops every registered key.
    virtual void unregisterAll() = 0;
};

} // namespace pellacor::system
