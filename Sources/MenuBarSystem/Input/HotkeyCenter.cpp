#include "MenuBarSystem/Input/HotkeyCenter.h"

#include <plist/plist.h>
#include <utility>

namespace pellacor::system {

namespace {

using Manager = platform::HotkeyManager;

std::optional<std::uint64_t> integerMember(plist_t dictionary, const char* key) {
    plist_t node = plist_dict_get_item(dictionary, key);
    if (node == nullptr || plist_get_node_type(node) != PLIST_UINT) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return value;
}

bool isEnabled(plist_t dictionary) {
    plist_t node = plist_dict_get_item(dictionary, Manager::symbolicHotKeyEnabledKey);
    if (node == nullptr || plist_get_node_type(node) != PLIST_BOOLEAN) {
        return false;
    }
    std::uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
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
    auto* list = static_cast<plist_t>(result.hotKeys.get());
    if (result.status != Manager::noErr || list == nullptr || plist_get_node_type(list) != PLIST_ARRAY) {
        return false;
    }
    // The list must hold dictionaries only, or it is not what the system promises.
    const std::uint32_t count = plist_array_get_size(list);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (plist_get_node_type(plist_array_get_item(list, i)) != PLIST_DICT) {
            return false;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        plist_t entry = plist_array_get_item(list, i);
        if (isEnabled(entry) && integerMember(entry, Manager::symbolicHotKeyCodeKey) == hotkey.keyCode &&
            integerMember(entry, Manager::symbolicHotKeyModifiersKey) == hotkey.carbonModifiers) {
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
