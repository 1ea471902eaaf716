#pragma once

#include "Platform/HotkeyManager.h"
#include "Platform/Simulated/PlacedStatusItem.h"
#include "Platform/Simulated/SimulatedApplication.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::testing {

// Small pieces of simulated desktops for tests.
inline platform::SimulatedStatusItem statusItem(std::string identifier, double width) {
    platform::SimulatedStatusItem item;
    item.identifier = std::move(identifier);
    item.width = width;
    return item;
}

inline platform::SimulatedApplication application(std::optional<std::string> bundleIdentifier,
                                                  std::int32_t processIdentifier,
                                                  std::vector<platform::SimulatedStatusItem> items,
                                                  bool running = true) {
    platform::SimulatedApplication app;
    app.bundleIdentifier = std::move(bundleIdentifier);
    app.processIdentifier = processIdentifier;
    app.statusItems = std::move(items);
    app.isRunning = running;
    return app;
}

// The placed items' identifiers, left to right ("?" for an item without one).
inline std::vector<std::string> identifiers(const std::vector<platform::PlacedStatusItem>& placed) {
    std::vector<std::string> ids;
    ids.reserve(placed.size());
    for (const auto& entry : placed) {
        ids.push_back(entry.item.identifier.value_or("?"));
    }
    return ids;
}

// A hot-key event handler that counts the events it is given in the int its
// user data points at, and handles them.
struct HotKeyCounter {
    static std::int32_t handle(const platform::HotkeyManager::Event* /*event*/, void* userData) {
        ++*static_cast<int*>(userData);
        return platform::HotkeyManager::noErr;
    }
    static std::vector<platform::HotkeyManager::EventTypeSpec> pressedEvents() {
        return {{platform::HotkeyManager::eventClassKeyboard, platform::HotkeyManager::eventHotKeyPressed}};
    }
};

} // namespace pellacor::testing
