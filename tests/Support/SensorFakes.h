#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProcessInfo.h"
#include "Platform/Screen.h"
#include "Platform/Screens.h"
#include "Platform/StatusBar.h"
#include "Platform/WindowDescription.h"
#include "Platform/WindowList.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pellacor::testing {

// Settable stand-ins for the platform interfaces the pointer and hover sensors
// read. Each answers exactly what a test put in; the window list also notes
// what it was asked.

class FakeScreens final : public platform::Screens {
public:
    std::vector<platform::Screen> attached;
    std::vector<platform::Screen> screens() const override { return attached; }
};

class FakeInputState final : public platform::InputState {
public:
    core::Point location;
    std::uint64_t buttons = 0;
    std::uint64_t flags = 0;
    std::optional<core::Point> eventLocation;
    // Seconds per event type; a type not listed answers `never`.
    std::map<std::uint32_t, double> seconds;
    double never = 1e6;
    mutable std::vector<std::pair<std::int32_t, std::uint32_t>> secondsAsked;

    core::Point mouseLocation() const override { return location; }
    std::uint64_t pressedMouseButtons() const override { return buttons; }
    std::uint64_t modifierFlags() const override { return flags; }
    bool buttonState(std::int32_t, std::uint32_t button) const override {
        return button < 64 && ((buttons >> button) & 1U) != 0;
    }
    std::uint64_t flagsState(std::int32_t) const override { return flags; }
    double secondsSinceLastEventType(std::int32_t stateID, std::uint32_t eventType) const override {
        secondsAsked.emplace_back(stateID, eventType);
        auto it = seconds.find(eventType);
        return it != seconds.end() ? it->second : never;
    }
    std::optional<core::Point> currentEventLocation() const override { return eventLocation; }
    // Nobody here changes the keys behind a test's back: the observation is never called.
    std::unique_ptr<ModifierObservation> observeModifierFlags(ModifierHandler) const override {
        return std::make_unique<ModifierObservation>();
    }
};

class FakeStatusBar final : public platform::StatusBar {
public:
    double value = 24;
    double thickness() const override { return value; }
    std::shared_ptr<platform::StatusItem> statusItem(double /*length*/) override { return nullptr; }
    void removeStatusItem(const std::shared_ptr<platform::StatusItem>& /*item*/) override {}
};

class FakeWindowList final : public platform::WindowList {
public:
    // Nothing: the list cannot be read.
    std::optional<std::vector<platform::WindowDescription>> windows =
        std::vector<platform::WindowDescription>{};
    std::vector<std::pair<std::uint32_t, std::uint32_t>> asked;

    std::optional<std::vector<platform::WindowDescription>>
    copyWindowInfo(std::uint32_t options, std::uint32_t relativeTo) override {
        asked.emplace_back(options, relativeTo);
        return windows;
    }

    // An on-screen window with a layer and top-down bounds.
    static platform::WindowDescription window(std::int64_t layer, core::Rect bounds) {
        platform::WindowDescription description;
        description.layer = layer;
        description.bounds = bounds;
        description.isOnScreen = true;
        return description;
    }
};

class FakeProcessInfo final : public platform::ProcessInfo {
public:
    std::int32_t pid = 520;
    std::int32_t processIdentifier() const override { return pid; }
};

} // namespace pellacor::testing
