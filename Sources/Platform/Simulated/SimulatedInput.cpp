#include "Platform/Simulated/SimulatedInput.h"

#include "Platform/Simulated/SimulatedHotkeyManager.h"

#include <algorithm>
#include <utility>
#include <vector>

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
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    return location_;
}

std::uint64_t SimulatedInput::pressedMouseButtons() const {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    return buttons_;
}

std::uint64_t SimulatedInput::modifierFlags() const {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    return flags_;
}

bool SimulatedInput::buttonState(std::int32_t /*stateID*/, std::uint32_t button) const {
    if (button > maxButton) {
        return false;
    }
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    return ((buttons_ >> button) & 1U) != 0;
}

std::uint64_t SimulatedInput::flagsState(std::int32_t /*stateID*/) const {
    return modifierFlags();
}

double SimulatedInput::secondsSinceLastEventType(std::int32_t /*stateID*/, std::uint32_t eventType) const {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
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
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    if (eventCreationFails_) {
        return std::nullopt;
    }
    return core::convertScreenSpace(location_, first);
}

void SimulatedInput::moveMouse(core::Point location) {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    location_ = location;
    recordLocked(mouseMoved);
}

void SimulatedInput::pressMouseButton(std::uint32_t button) {
    if (button > maxButton) {
        return;
    }
    const auto current = now();
    const ModifierTeller teller(*this);
    Event event;
    {
        std::lock_guard lock(mutex_);
        catchUpLocked(current);
        const std::uint64_t bit = std::uint64_t{1} << button;
        if ((buttons_ & bit) != 0) {
            return;
        }
        buttons_ |= bit;
        recordLocked(downType(button));
        event.kind = button == leftButton    ? EventKind::leftMouseDown
                     : button == rightButton ? EventKind::rightMouseDown
                                             : EventKind::otherMouseDown;
        event.location = location_;
        event.modifierFlags = flags_;
    }
    deliver(event);
}

void SimulatedInput::releaseMouseButton(std::uint32_t button) {
    if (button > maxButton) {
        return;
    }
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    const std::uint64_t bit = std::uint64_t{1} << button;
    if ((buttons_ & bit) == 0) {
        return;
    }
    buttons_ &= ~bit;
    recordLocked(upType(button));
}

void SimulatedInput::typeKey() {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    recordLocked(keyDown);
    recordLocked(keyUp);
}

std::optional<std::int32_t> SimulatedInput::pressKey(std::uint32_t keyCode, std::uint32_t hotKeyModifiers) {
    const auto current = now();
    const ModifierTeller teller(*this);
    Event event;
    std::shared_ptr<SimulatedHotkeyManager> manager;
    {
        std::lock_guard lock(mutex_);
        catchUpLocked(current);
        recordLocked(keyDown);
        recordLocked(keyUp);
        event.kind = EventKind::keyDown;
        event.location = location_;
        event.modifierFlags = flags_;
        event.keyCode = keyCode;
        manager = hotkeyManager_;
    }
    deliver(event);
    return manager ? manager->pressKey(keyCode, hotKeyModifiers) : std::nullopt;
}

void SimulatedInput::setHotkeyManager(std::shared_ptr<SimulatedHotkeyManager> manager) {
    std::lock_guard lock(mutex_);
    hotkeyManager_ = std::move(manager);
}

GlobalEventMonitor::MonitorId SimulatedInput::addGlobalMonitor(std::uint32_t eventMask, Handler handler) {
    if (!handler || eventMask == 0) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    const MonitorId id = nextMonitor_++;
    monitors_.emplace(id, std::make_pair(eventMask, std::move(handler)));
    return id;
}

void SimulatedInput::removeMonitor(MonitorId id) {
    std::lock_guard lock(mutex_);
    monitors_.erase(id);
}

void SimulatedInput::deliver(const Event& event) {
    std::vector<Handler> handlers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, monitor] : monitors_) {
            if ((monitor.first & mask(event.kind)) != 0) {
                handlers.push_back(monitor.second);
            }
        }
    }
    for (const auto& handler : handlers) {
        handler(event);
    }
}

void SimulatedInput::setModifierFlags(std::uint64_t flags) {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    if (flags == flags_) {
        return;
    }
    flags_ = flags;
    recordLocked(flagsChanged);
    modifiersChangedLocked();
}

void SimulatedInput::setEventCreationFails(bool fails) {
    std::lock_guard lock(mutex_);
    eventCreationFails_ = fails;
}

class SimulatedInput::Observation final : public ModifierObservation {
public:
    Observation(std::weak_ptr<ModifierObservers> observers, std::uint64_t id)
        : observers_(std::move(observers)), id_(id) {}
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;
    ~Observation() override {
        if (auto observers = observers_.lock()) {
            std::lock_guard lock(observers->mutex);
            observers->handlers.erase(id_);
        }
    }

private:
    std::weak_ptr<ModifierObservers> observers_;
    std::uint64_t id_;
};

std::unique_ptr<InputState::ModifierObservation>
SimulatedInput::observeModifierFlags(ModifierHandler onChange) const {
    std::lock_guard lock(modifierObservers_->mutex);
    const std::uint64_t id = modifierObservers_->next++;
    if (onChange) {
        modifierObservers_->handlers.emplace(id,
                                             std::make_shared<const ModifierHandler>(std::move(onChange)));
    }
    return std::make_unique<Observation>(modifierObservers_, id);
}

void SimulatedInput::modifiersChangedLocked() const {
    modifiersChanged_ = true;
}

void SimulatedInput::tellModifierChange() const {
    std::uint64_t flags = 0;
    {
        std::lock_guard lock(mutex_);
        if (!std::exchange(modifiersChanged_, false)) {
            return;
        }
        flags = flags_;
    }
    std::vector<std::shared_ptr<const ModifierHandler>> handlers;
    {
        std::lock_guard lock(modifierObservers_->mutex);
        for (const auto& [id, handler] : modifierObservers_->handlers) {
            handlers.push_back(handler);
        }
    }
    for (const auto& handler : handlers) {
        (*handler)(flags);
    }
}

void SimulatedInput::recordLocked(std::uint32_t eventType) {
    lastEvent_[eventType] = now();
}

void SimulatedInput::performCommandDrag(core::Point from, core::Point to, std::chrono::nanoseconds duration) {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    if (drag_) {
        endDragLocked(current);
    }
    const bool commandHeld = (flags_ & commandFlag) != 0;
    drag_ = Drag{from, to, current, std::max(duration, std::chrono::nanoseconds::zero()), commandHeld};
    if (!commandHeld) {
        flags_ |= commandFlag;
        lastEvent_[flagsChanged] = current;
        modifiersChangedLocked();
    }
    if (location_ != from) {
        location_ = from;
        lastEvent_[mouseMoved] = current;
    }
    const std::uint64_t left = std::uint64_t{1} << leftButton;
    if ((buttons_ & left) == 0) {
        buttons_ |= left;
        lastEvent_[leftMouseDown] = current;
    }
}

bool SimulatedInput::isDragging() const {
    const auto current = now();
    const ModifierTeller teller(*this);
    std::lock_guard lock(mutex_);
    catchUpLocked(current);
    return drag_.has_value();
}

void SimulatedInput::catchUpLocked(std::chrono::nanoseconds now) const {
    if (!drag_) {
        return;
    }
    const Drag& drag = *drag_;
    const auto elapsed = now - drag.start;
    if (elapsed >= drag.duration) {
        if (location_ != drag.to) {
            location_ = drag.to;
            lastEvent_[leftMouseDragged] = drag.start + drag.duration;
        }
        endDragLocked(drag.start + drag.duration);
        return;
    }
    if (elapsed <= std::chrono::nanoseconds::zero()) {
        return;
    }
    const double fraction =
        std::chrono::duration<double>(elapsed) / std::chrono::duration<double>(drag.duration);
    const core::Point along{drag.from.x + (drag.to.x - drag.from.x) * fraction,
                            drag.from.y + (drag.to.y - drag.from.y) * fraction};
    if (location_ != along) {
        location_ = along;
        lastEvent_[leftMouseDragged] = now;
    }
}

void SimulatedInput::endDragLocked(std::chrono::nanoseconds at) const {
    const std::uint64_t left = std::uint64_t{1} << leftButton;
    if ((buttons_ & left) != 0) {
        buttons_ &= ~left;
        lastEvent_[leftMouseUp] = at;
    }
    if (!drag_->commandHeldBefore && (flags_ & commandFlag) != 0) {
        flags_ &= ~commandFlag;
        lastEvent_[flagsChanged] = at;
        modifiersChangedLocked();
    }
    drag_.reset();
}

} // namespace pellacor::platform
