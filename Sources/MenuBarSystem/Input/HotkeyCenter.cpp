#include "MenuBarSystem/Input/HotkeyCenter.h"

#include <algorithm>
#include <utility>

namespace pellacor::system {

namespace {

using Manager = platform::HotkeyManager;

using Value = platform::PropertyListValue;

// A whole number the entry holds under the key; nothing when it is missing or
// of another type (a boolean or a real never counts).
std::optional<std::int64_t> integerMember(const Value::Dictionary& entry, const char* key) {
    const auto found = entry.find(key);
    return found == entry.end() ? std::nullopt : found->second.integerValue();
}

bool isEnabled(const Value::Dictionary& entry) {
    const auto found = entry.find(Manager::symbolicHotKeyEnabledKey);
    return found != entry.end() && found->second.booleanValue().value_or(false);
}

} // namespace

HotkeyCenter::HotkeyCenter(std::shared_ptr<platform::HotkeyManager> manager) : manager_(std::move(manager)) {}

HotkeyCenter::~HotkeyCenter() {
    unregisterAll();
    if (handler_) {
        manager_->removeEventHandler(*handler_);
    }
}

bool HotkeyCenter::isTakenBySystem(platform::HotkeyManager& manager, const Hotkey& hotkey) {
    const auto result = manager.copySymbolicHotKeys();
    const Value::Array* list = result.hotKeys ? result.hotKeys->arrayValue() : nullptr;
    if (result.status != Manager::noErr || list == nullptr) {
        return false;
    }
    // The list must hold dictionaries only, or it is not what the system promises.
    if (!std::all_of(list->begin(), list->end(),
                     [](const Value& entry) { return entry.dictionaryValue() != nullptr; })) {
        return false;
    }
    for (const Value& item : *list) {
        const Value::Dictionary& entry = *item.dictionaryValue();
        if (isEnabled(entry) &&
            integerMember(entry, Manager::symbolicHotKeyCodeKey) == std::int64_t{hotkey.keyCode} &&
            integerMember(entry, Manager::symbolicHotKeyModifiersKey) ==
                std::int64_t{hotkey.carbonModifiers}) {
            return true;
        }
    }
    return false;
}

std::optional<HotkeyProblem> HotkeyCenter::registerHotkey(const Hotkey& hotkey,
                                                          std::function<void()> onPress) {
    if (isTakenBySystem(*manager_, hotkey)) {
        return HotkeyProblem::takenBySystemShortcut;
    }
    if (!handler_) {
        const auto installed = manager_->installApplicationEventHandler(
            &HotkeyCenter::handleEvent, {{Manager::eventClassKeyboard, Manager::eventHotKeyPressed}}, this);
        if (installed.status != Manager::noErr) {
            return HotkeyProblem::rejected(installed.status);
        }
        if (!installed.handler) {
            return HotkeyProblem::rejected(0);
        }
        handler_ = installed.handler;
    }
    // Taken before the call, so a refused registration uses up its number too.
    const std::uint32_t id = nextID_++;
    const auto result =
        manager_->registerApplicationHotKey(hotkey.keyCode, hotkey.carbonModifiers, {signature, id}, 0);
    if (result.status != Manager::noErr) {
        return HotkeyProblem::rejected(result.status);
    }
    if (!result.hotKey) {
        return HotkeyProblem::rejected(0);
    }
    registered_.insert_or_assign(id, Registration{*result.hotKey, std::move(onPress)});
    return std::nullopt;
}

void HotkeyCenter::unregisterAll() {
    // Taken out first: unregistering must not find the map half emptied.
    auto registered = std::exchange(registered_, {});
    for (const auto& [id, registration] : registered) {
        manager_->unregisterEventHotKey(registration.hotKey);
    }
}

std::int32_t HotkeyCenter::pressed(platform::HotkeyManager::EventHotKeyID identifier) {
    if (identifier.signature != signature) {
        return Manager::eventNotHandledErr;
    }
    auto it = registered_.find(identifier.id);
    if (it == registered_.end()) {
        return Manager::eventNotHandledErr;
    }
    // A copy: the callback may unregister its own key, which destroys the stored one.
    const auto onPress = it->second.onPress;
    if (onPress) {
        onPress();
    }
    return Manager::noErr;
}

std::int32_t HotkeyCenter::handleEvent(const platform::HotkeyManager::Event* event, void* userData) {
    if (event == nullptr || userData == nullptr) {
        return Manager::eventNotHandledErr;
    }
    platform::HotkeyManager::EventHotKeyID identifier;
    const std::int32_t status =
        event->hotKeyIDParameter(Manager::eventParamDirectObject, Manager::typeEventHotKeyID, identifier);
    if (status != Manager::noErr) {
        return status;
    }
    return static_cast<HotkeyCenter*>(userData)->pressed(identifier);
}

} // namespace pellacor::system
