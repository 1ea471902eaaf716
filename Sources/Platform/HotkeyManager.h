#pragma once

#include "Platform/PropertyListValue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace pellacor::platform {

// A four-character code as the event manager writes it: "keyb" is 0x6B657962.
constexpr std::uint32_t fourCharCode(std::string_view code) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(i < code.size() ? code[i] : ' ');
    }
    return value;
}

// The event manager's global hot keys on the application event target: event
// handlers, hot-key registration, and the system's own symbolic hot keys (the
// keyboard shortcuts of the system settings). Main thread only; handlers are
// called on the main thread.
class HotkeyManager {
public:
    static constexpr std::int32_t noErr = 0;
    static constexpr std::int32_t eventInternalErr = -9868;
    static constexpr std::int32_t eventParameterNotFoundErr = -9870;
    static constexpr std::int32_t eventNotHandledErr = -9874;
    static constexpr std::int32_t eventHotKeyExistsErr = -9878;
    static constexpr std::int32_t eventHotKeyInvalidErr = -9879;
    static constexpr std::int32_t paramErr = -50;
    static constexpr std::int32_t coercionFailErr = -1700;

    static constexpr std::uint32_t eventClassKeyboard = fourCharCode("keyb");
    static constexpr std::uint32_t eventHotKeyPressed = 5;
    static constexpr std::uint32_t eventHotKeyReleased = 6;
    static constexpr std::uint32_t eventParamDirectObject = fourCharCode("----");
    static constexpr std::uint32_t typeEventHotKeyID = fourCharCode("hkid");

    // The keys of one symbolic hot key's dictionary.
    static constexpr const char* symbolicHotKeyEnabledKey = "kHISymbolicHotKeyEnabled";
    static constexpr const char* symbolicHotKeyCodeKey = "kHISymbolicHotKeyCode";
    static constexpr const char* symbolicHotKeyModifiersKey = "kHISymbolicHotKeyModifiers";

    // Names a hot key within the handlers that receive it: a four-character
    // signature of the registering program and its own number.
    struct EventHotKeyID {
        std::uint32_t signature = 0;
        std::uint32_t id = 0;
        bool operator==(const EventHotKeyID&) const = default;
    };

    struct EventTypeSpec {
        std::uint32_t eventClass = 0;
        std::uint32_t eventKind = 0;
        bool operator==(const EventTypeSpec&) const = default;
    };

    struct EventHandlerRef {
        std::uint64_t value = 0;
        bool operator==(const EventHandlerRef&) const = default;
    };

    struct EventHotKeyRef {
        std::uint64_t value = 0;
        bool operator==(const EventHotKeyRef&) const = default;
    };

    // An event as a handler sees it; its parameters are read by name and type.
    class Event {
    public:
        virtual ~Event() = default;
        virtual EventTypeSpec type() const = 0;
        // Reads a hot-key identifier parameter into `out`: noErr, or the status
        // telling why the event has no such parameter of that type.
        virtual std::int32_t hotKeyIDParameter(std::uint32_t name, std::uint32_t type,
                                               EventHotKeyID& out) const = 0;
    };

    // A handler: the event (possibly absent) and the user data given at
    // installation. Answers noErr when it handled the event, eventNotHandledErr
    // to pass it on to the next handler, or another status.
    using EventHandlerProc = std::int32_t (*)(const Event* event, void* userData);

    struct InstallResult {
        std::int32_t status = noErr;
        std::optional<EventHandlerRef> handler;
    };

    struct RegisterResult {
        std::int32_t status = noErr;
        std::optional<EventHotKeyRef> hotKey;
    };

    struct SymbolicHotKeysResult {
        std::int32_t status = noErr;
        // As the system keeps it: an array of dictionaries with the keys above,
        // but nothing stops an entry from missing a key or holding another type.
        // Nothing when the system hands back no list at all.
        std::optional<PropertyListValue> hotKeys;
    };

    virtual ~HotkeyManager() = default;

    // Installs a handler for the given event types on the application target.
    virtual InstallResult installApplicationEventHandler(EventHandlerProc handler,
                                                         const std::vector<EventTypeSpec>& types,
                                                         void* userData) = 0;
    virtual std::int32_t removeEventHandler(EventHandlerRef handler) = 0;
    // Registers a global hot key for the application target.
    virtual RegisterResult registerApplicationHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                     EventHotKeyID id, std::uint32_t options) = 0;
    virtual std::int32_t unregisterEventHotKey(EventHotKeyRef hotKey) = 0;
    // A copy of the system's symbolic hot keys, owned by the caller.
    virtual SymbolicHotKeysResult copySymbolicHotKeys() = 0;
};

} // namespace pellacor::platform
