#pragma once

#include "Platform/HotkeyManager.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace pellacor::platform {

// The hot-key manager of the simulated desktop. It keeps the system's symbolic
// hot keys (each with its enabled flag; a test may add entries of any shape),
// the installed handlers and the registered hot keys, and delivers key presses
// to the handlers as the event manager does: newest handler first, on to the
// next while a handler answers eventNotHandledErr. A scenario or a test can make
// installation or registration fail with a status, make a registration answer
// no reference, occupy keys as other applications would, and make the symbolic
// hot keys unreadable.
//
// Deliveries call the handlers outside the manager's lock on the calling
// thread, which must be the program's main thread.
class SimulatedHotkeyManager final : public HotkeyManager {
public:
    struct SymbolicHotKey {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        bool enabled = true;
        bool operator==(const SymbolicHotKey&) const = default;
    };

    // What copying the symbolic hot keys hands back while the status is noErr.
    enum class SymbolicHotKeysAnswer { list, nothing, notAList };

    struct RegisteredHotKey {
        EventHotKeyRef hotKey;
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        EventHotKeyID id;
        bool operator==(const RegisteredHotKey&) const = default;
    };

    struct InstalledHandler {
        EventHandlerRef handler;
        std::vector<EventTypeSpec> types;
    };

    SimulatedHotkeyManager() = default;
    SimulatedHotkeyManager(const SimulatedHotkeyManager&) = delete;
    SimulatedHotkeyManager& operator=(const SimulatedHotkeyManager&) = delete;

    // The system's shortcuts.
    void addSymbolicHotKey(const SymbolicHotKey& hotKey);
    // An entry as it stands, whatever its shape; the manager takes it over.
    void addSymbolicHotKeyEntry(PropertyListValue entry);
    // A non-zero status makes copying fail with it.
    void setSymbolicHotKeysStatus(std::int32_t status);
    void setSymbolicHotKeysAnswer(SymbolicHotKeysAnswer answer);

    // A non-zero status makes later installations (registrations) fail with it.
    void setInstallStatus(std::int32_t status);
    void setRegisterStatus(std::int32_t status);
    // Later registrations answer noErr but hand back no reference and register nothing.
    void setRegisterAnswersNoReference(bool answers);
    // Another application holds this key: registering it answers eventHotKeyExistsErr.
    void occupyKey(std::uint32_t keyCode, std::uint32_t modifiers);

    std::vector<InstalledHandler> installedHandlers() const;
    std::vector<RegisteredHotKey> registeredHotKeys() const;

    // The user presses a key combination. When one of the program's hot keys has
    // it, its pressed event goes to the handlers and their answer comes back;
    // nothing when no hot key has the combination.
    std::optional<std::int32_t> pressKey(std::uint32_t keyCode, std::uint32_t modifiers);
    // A hot-key pressed event with any identifier, another program's for instance.
    std::int32_t deliverHotKeyPressed(EventHotKeyID id);
    // An event of this type that carries no hot-key identifier.
    std::int32_t deliverEventWithoutHotKeyID(EventTypeSpec type);

    InstallResult installApplicationEventHandler(EventHandlerProc handler,
                                                 const std::vector<EventTypeSpec>& types,
                                                 void* userData) override;
    std::int32_t removeEventHandler(EventHandlerRef handler) override;
    RegisterResult registerApplicationHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID id,
                                             std::uint32_t options) override;
    std::int32_t unregisterEventHotKey(EventHotKeyRef hotKey) override;
    SymbolicHotKeysResult copySymbolicHotKeys() override;

private:
    struct Handler {
        EventHandlerRef ref;
        EventHandlerProc proc = nullptr;
        std::vector<EventTypeSpec> types;
        void* userData = nullptr;
    };
    struct Key {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        bool operator==(const Key&) const = default;
    };

    std::int32_t dispatch(const Event& event);

    mutable std::mutex mutex_;
    std::vector<PropertyListValue> symbolicHotKeys_;
    std::int32_t symbolicHotKeysStatus_ = noErr;
    SymbolicHotKeysAnswer symbolicHotKeysAnswer_ = SymbolicHotKeysAnswer::list;
    std::int32_t installStatus_ = noErr;
    std::int32_t registerStatus_ = noErr;
    bool registerAnswersNoReference_ = false;
    std::vector<Key> occupied_;
    std::vector<Handler> handlers_; // oldest installation first
    std::vector<RegisteredHotKey> registered_;
    std::uint64_t nextRef_ = 1;
};

} // namespace pellacor::platform
