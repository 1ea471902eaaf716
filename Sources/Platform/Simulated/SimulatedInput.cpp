#include "Platform/Simulated/SimulatedInput.h"

#include <algorithm>
#include <utility>

namespace pellacor::platform {

namespace {

constexpr std::uint32_t maxButton = 63;

std::uint32_t downType(std::uint32_t button) {
    return button == InputState::leftButton    ? InputState::leftMouseDown
           : button == InputState::rightButton ? InputState::rightMouseDown
                                               : InputState::otherMouseDown;
}

std::uint32_t upType(std::uint32_t button) {
    return button == InputState::leftButton    ? InputState::leftMouseUp
           : button == InputState::rightButton ? InputState::rightMouseUp
                                               : InputState::otherMouseUp;
}

} // namespace

SimulatedInput::SimulatedInput(std::shared_ptr<const SimulatedDesktop> desktop, Clock clock)
    : desktop_(std::move(desktop)), clock_(std::move(clock)) {
    began_ = now();
    // The pointer starts in the middle of the first screen.
    const core::Rect first = desktop_->screens().front().frame.standardized();
    location_ = core::Point{first.midX(), first.midY()};
}

SimulatedInput::Clock SimulatedInput::steadyClock() {
    return [] { return std::chrono::steady_clock::now().time_since_epoch(); };
}

std::chrono::nanoseconds SimulatedInput::now() const {
    return clock_();
}

core::Point SimulatedInput::mouseLocation() const {
    std::lock_guard lock(mutex_);
    return location_;
}

std::uint64_t SimulatedInput::pressedMouseButtons() const {
    std::lock_guard lock(mutex_);
    return buttons_;
}

std::uint64_t SimulatedInput::modifierFlags() const {
    std::lock_guard lock(mutex_);
    return flags_;
}

bool SimulatedInput::buttonState(std::int32_t /*stateID*/, std::uint32_t button) const {
    if (button > maxButton) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return ((buttons_ >> button) & 1U) != 0;
}

std::uint64_t SimulatedInput::flagsState(std::int32_t /*stateID*/) const {
    return modifierFlags();
}

double SimulatedInput::secondsSinceLastEventType(std::int32_t /*stateID*/, std::uint32_t eventType) const {
    const auto current = now();
    std::lock_guard lock(mutex_);
    std::chrono::nanoseconds last = began_;
    if (eventType == anyInputEventType) {
        for (const auto& [type, at] : lastEvent_) {
            last = std::max(last, at);
        }
    } else if (auto it = lastEvent_.find(eventType); it != lastEvent_.end()) {
        last = it->second;
    }
    return std::chrono::duration<double>(std::max(current - last, std::chrono::nanoseconds::zero())).count();
}

std::optional<core::Point> SimulatedInput::currentEventLocation() const {
    const core::Rect first = desktop_->screens().front().frame.standardized();
    std::lock_guard lock(mutex_);
    if (eventCreationFails_) {
        return std::nullopt;
    }
    return core::convertScreenSpace(location_, first);
}

void SimulatedInput::moveMouse(core::Point location) {
    std::lock_guard lock(mutex_);
    location_ = location;
    recordLocked(mouseMoved);
}

void SimulatedInput::pressMouseButton(std::uint32_t button) {
    if (button > maxButton) {
        return;
    }
    std::lock_guard lock(mutex_);
    const std::uint64_t bit = std::uint64_t{1} << button;
    if ((buttons_ & bit) != 0) {
        return;
    }
    buttons_ |= bit;
    recordLocked(downType(button));
}

void SimulatedInput::releaseMouseButton(std::uint32_t button) {
    if (button > maxButton) {
        return;
    }
    std::lock_guard lock(mutex_);
    const std::uint64_t bit = std::uint64_t{1} << button;
    if ((buttons_ & bit) == 0) {
        return;
    }
    buttons_ &= ~bit;
    recordLocked(upType(button));
}

void SimulatedInput::typeKey() {
    std::lock_guard lock(mutex_);
    recordLocked(keyDown);
    recordLocked(keyUp);
}

void SimulatedInput::setModifierFlags(std::uint64_t flags) {
    std::lock_guard lock(mutex_);
    if (flags == flags_) {
        return;
    }
    flags_ = flags;
    recordLocked(flagsChanged);
}

void SimulatedInput::setEventCreationFails(bool fails) {
    std::lock_guard lock(mutex_);
    eventCreationFails_ = fails;
}

void SimulatedInput::recordLocked(std::uint32_t eventType) {
    lastEvent_[eventType] = now();
}

} // namespace pellacor::platform
