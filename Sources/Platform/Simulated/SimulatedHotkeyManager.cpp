#include "Platform/Simulated/SimulatedHotkeyManager.h"

#include <algorithm>

namespace pellacor::platform {

namespace {

class SimulatedEvent final : public HotkeyManager::Event {
public:
    SimulatedEvent(HotkeyManager::EventTypeSpec type, std::optional<HotkeyManager::EventHotKeyID> id)
        : type_(type), id_(id) {}

    HotkeyManager::EventTypeSpec type() const override { return type_; }

    std::int32_t hotKeyIDParameter(std::uint32_t name, std::uint32_t type,
                                   HotkeyManager::EventHotKeyID& out) const override {
        if (name != HotkeyManager::eventParamDirectObject || !id_) {
            return HotkeyManager::eventParameterNotFoundErr;
        }
        if (type != HotkeyManager::typeEventHotKeyID) {
            return HotkeyManager::coercionFailErr;
        }
        out = *id_;
        return HotkeyManager::noErr;
    }

private:
    HotkeyManager::EventTypeSpec type_;
    std::optional<HotkeyManager::EventHotKeyID> id_;
};

constexpr HotkeyManager::EventTypeSpec hotKeyPressedType{HotkeyManager::eventClassKeyboard,
                                                         HotkeyManager::eventHotKeyPressed};

} // namespace

void SimulatedHotkeyManager::addSymbolicHotKey(const SymbolicHotKey& hotKey) {
    addSymbolicHotKeyEntry(PropertyListValue::Dictionary{
        {symbolicHotKeyEnabledKey, PropertyListValue::boolean(hotKey.enabled)},
        {symbolicHotKeyCodeKey, PropertyListValue::integer(hotKey.keyCode)},
        {symbolicHotKeyModifiersKey, PropertyListValue::integer(hotKey.modifiers)},
    });
}

void SimulatedHotkeyManager::addSymbolicHotKeyEntry(PropertyListValue entry) {
    std::lock_guard lock(mutex_);
    symbolicHotKeys_.push_back(std::move(entry));
}

void SimulatedHotkeyManager::setSymbolicHotKeysStatus(std::int32_t status) {
    std::lock_guard lock(mutex_);
    symbolicHotKeysStatus_ = status;
}

void SimulatedHotkeyManager::setSymbolicHotKeysAnswer(SymbolicHotKeysAnswer answer) {
    std::lock_guard lock(mutex_);
    symbolicHotKeysAnswer_ = answer;
}

void SimulatedHotkeyManager::setInstallStatus(std::int32_t status) {
    std::lock_guard lock(mutex_);
    installStatus_ = status;
}

void SimulatedHotkeyManager::setRegisterStatus(std::int32_t status) {
    std::lock_guard lock(mutex_);
    registerStatus_ = status;
}

void SimulatedHotkeyManager::setRegisterAnswersNoReference(bool answers) {
    std::lock_guard lock(mutex_);
    registerAnswersNoReference_ = answers;
}

void SimulatedHotkeyManager::occupyKey(std::uint32_t keyCode, std::uint32_t modifiers) {
    std::lock_guard lock(mutex_);
    occupied_.push_back(Key{keyCode, modifiers});
}

std::vector<SimulatedHotkeyManager::InstalledHandler> SimulatedHotkeyManager::installedHandlers() const {
    std::lock_guard lock(mutex_);
    std::vector<InstalledHandler> out;
    for (const auto& handler : handlers_) {
        out.push_back(InstalledHandler{handler.ref, handler.types});
    }
    return out;
}

std::vector<SimulatedHotkeyManager::RegisteredHotKey> SimulatedHotkeyManager::registeredHotKeys() const {
    std::lock_guard lock(mutex_);
    return registered_;
}

std::optional<std::int32_t> SimulatedHotkeyManager::pressKey(std::uint32_t keyCode, std::uint32_t modifiers) {
    std::optional<EventHotKeyID> id;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(registered_.begin(), registered_.end(), [&](const RegisteredHotKey& key) {
            return key.keyCode == keyCode && key.modifiers == modifiers;
        });
        if (it != registered_.end()) {
            id = it->id;
        }
    }
    if (!id) {
        return std::nullopt;
    }
    return dispatch(SimulatedEvent(hotKeyPressedType, id));
}

std::int32_t SimulatedHotkeyManager::deliverHotKeyPressed(EventHotKeyID id) {
    return dispatch(SimulatedEvent(hotKeyPressedType, id));
}

std::int32_t SimulatedHotkeyManager::deliverEventWithoutHotKeyID(EventTypeSpec type) {
    return dispatch(SimulatedEvent(type, std::nullopt));
}

std::int32_t SimulatedHotkeyManager::dispatch(const Event& event) {
    std::vector<Handler> handlers;
    {
        std::lock_guard lock(mutex_);
        handlers = handlers_;
    }
    const auto type = event.type();
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
        if (std::find(it->types.begin(), it->types.end(), type) == it->types.end()) {
            continue;
        }
        {
            // A handler removed by an earlier handler of this dispatch no longer runs.
            std::lock_guard lock(mutex_);
            const auto ref = it->ref;
            if (std::none_of(handlers_.begin(), handlers_.end(),
                             [&](const Handler& h) { return h.ref == ref; })) {
                continue;
            }
        }
        const std::int32_t status = it->proc(&event, it->userData);
        if (status != eventNotHandledErr) {
            return status;
        }
    }
    return eventNotHandledErr;
}

HotkeyManager::InstallResult SimulatedHotkeyManager::installApplicationEventHandler(
    EventHandlerProc handler, const std::vector<EventTypeSpec>& types, void* userData) {
    std::lock_guard lock(mutex_);
    if (handler == nullptr || types.empty()) {
        return InstallResult{paramErr, std::nullopt};
    }
    if (installStatus_ != noErr) {
        return InstallResult{installStatus_, std::nullopt};
    }
    const EventHandlerRef ref{nextRef_++};
    handlers_.push_back(Handler{ref, handler, types, userData});
    return InstallResult{noErr, ref};
}

std::int32_t SimulatedHotkeyManager::removeEventHandler(EventHandlerRef handler) {
    std::lock_guard lock(mutex_);
    auto it =
        std::find_if(handlers_.begin(), handlers_.end(), [&](const Handler& h) { return h.ref == handler; });
    if (it == handlers_.end()) {
        return paramErr;
    }
    handlers_.erase(it);
    return noErr;
}

HotkeyManager::RegisterResult SimulatedHotkeyManager::registerApplicationHotKey(std::uint32_t keyCode,
                                                                                std::uint32_t modifiers,
                                                                                EventHotKeyID id,
                                                                                std::uint32_t) {
    std::lock_guard lock(mutex_);
    if (registerStatus_ != noErr) {
        return RegisterResult{registerStatus_, std::nullopt};
    }
    if (registerAnswersNoReference_) {
        return RegisterResult{noErr, std::nullopt};
    }
    const Key key{keyCode, modifiers};
    const bool taken = std::find(occupied_.begin(), occupied_.end(), key) != occupied_.end() ||
                       std::any_of(registered_.begin(), registered_.end(), [&](const RegisteredHotKey& r) {
                           return r.keyCode == keyCode && r.modifiers == modifiers;
                       });
    if (taken) {
        return RegisterResult{eventHotKeyExistsErr, std::nullopt};
    }
    const EventHotKeyRef ref{nextRef_++};
    registered_.push_back(RegisteredHotKey{ref, keyCode, modifiers, id});
    return RegisterResult{noErr, ref};
}

std::int32_t SimulatedHotkeyManager::unregisterEventHotKey(EventHotKeyRef hotKey) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(registered_.begin(), registered_.end(),
                           [&](const RegisteredHotKey& r) { return r.hotKey == hotKey; });
    if (it == registered_.end()) {
        return eventHotKeyInvalidErr;
    }
    registered_.erase(it);
    return noErr;
}

HotkeyManager::SymbolicHotKeysResult SimulatedHotkeyManager::copySymbolicHotKeys() {
    std::lock_guard lock(mutex_);
    if (symbolicHotKeysStatus_ != noErr) {
        return SymbolicHotKeysResult{symbolicHotKeysStatus_, std::nullopt};
    }
    switch (symbolicHotKeysAnswer_) {
    case SymbolicHotKeysAnswer::nothing:
        return SymbolicHotKeysResult{noErr, std::nullopt};
    case SymbolicHotKeysAnswer::notAList:
        return SymbolicHotKeysResult{noErr, PropertyListValue::Dictionary{}};
    case SymbolicHotKeysAnswer::list:
        break;
    }
    return SymbolicHotKeysResult{noErr, PropertyListValue::Array(symbolicHotKeys_)};
}

} // namespace pellacor::platform
