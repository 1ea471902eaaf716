#pragma once

#include "MenuBarSystem/Input/HotkeyRegistering.h"
#include "Platform/HotkeyManager.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace pellacor::system {

// The program's global hot keys, registered with the event manager under the
// signature "TRVY" and numbered from 1; numbers are never reused. One event
// handler, installed with the first registration that passes the clash test,
// routes presses to the keys' callbacks until the center goes away. A key that
// an enabled system shortcut already uses is never offered to the system.
//
// Main thread only. The center hands its own address to the event manager, so
// it neither copies nor moves; releasing it unregisters every key and removes
// the handler.
class HotkeyCenter final : public HotkeyRegistering {
public:
    static constexpr std::uint32_t signature = platform::fourCharCode("TRVY");

    explicit HotkeyCenter(std::shared_ptr<platform::HotkeyManager> manager);
    ~HotkeyCenter() override;
    HotkeyCenter(const HotkeyCenter&) = delete;
    HotkeyCenter& operator=(const HotkeyCenter&) = delete;

    std::optional<HotkeyProblem> registerHotkey(const Hotkey& hotkey, std::function<void()> onPress) override;
    // Unregisters every key; the handler and the next number stay.
    void unregisterAll() override;

    // Whether an enabled system shortcut has the key's code and modifiers. An
    // unreadable or oddly shaped list of system shortcuts blocks nothing.
    static bool isTakenBySystem(platform::HotkeyManager& manager, const Hotkey& hotkey);

    // One press of the hot key with this identifier: runs its callback and
    // answers noErr, or answers eventNotHandledErr for another program's
    // signature or a number not registered here.
    std::int32_t pressed(platform::HotkeyManager::EventHotKeyID identifier);

    // The event handler given to the event manager, with the center as user data.
    static std::int32_t handleEvent(const platform::HotkeyManager::Event* event, void* userData);

    bool hasHandler() const { return handler_.has_value(); }
    std::uint32_t nextID() const { return nextID_; }

private:
    struct Registration {
        platform::HotkeyManager::EventHotKeyRef hotKey;
        std::function<void()> onPress;
    };

    std::shared_ptr<platform::HotkeyManager> manager_;
    std::optional<platform::HotkeyManager::EventHandlerRef> handler_;
    std::map<std::uint32_t, Registration> registered_;
    std::uint32_t nextID_ = 1;
};

} // namespace pellacor::system
