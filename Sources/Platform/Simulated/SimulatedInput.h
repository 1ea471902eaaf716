#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/GlobalEventMonitor.h"
#include "Platform/InputState.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace pellacor::platform {

// The simulated user's hands: where the pointer is, which mouse buttons and
// modifier keys are held, and when each kind of input event last happened. A
// test or a view moves them; the program reads them through `InputState`.
//
// Every event-source state sees the same user, so the state identifier makes no
// difference. An event type that has not happened yet counts from the moment
// the input was made (the session's start). Time comes from the injected clock.
// The pointer's top-down location is worked out against the desktop's first
// screen.
//
// A change of the modifier keys is told to their observers after the change,
// outside the lock: when they are set, when a Command-drag takes Command, and
// when a drag gives it back as the clock runs out, which is told by the first
// call on the input after that moment.
//
// It is also where global event monitors listen: every mouse-down and key
// press made here reaches them (outside the lock, on the calling thread), and a
// key press reaches the hot-key manager it is joined to, as the system's does.
//
// Thread-safe.
class SimulatedHotkeyManager;

class SimulatedInput final : public InputState, public GlobalEventMonitor {
public:
    // Monotonic time since an origin of the clock's choosing. Read from any thread.
    using Clock = std::function<std::chrono::nanoseconds()>;

    explicit SimulatedInput(std::shared_ptr<const SimulatedDesktop> desktop, Clock clock = steadyClock());

    // The steady clock: the program's time.
    static Clock steadyClock();

    core::Point mouseLocation() const override;
    std::uint64_t pressedMouseButtons() const override;
    std::uint64_t modifierFlags() const override;
    bool buttonState(std::int32_t stateID, std::uint32_t button) const override;
    std::uint64_t flagsState(std::int32_t stateID) const override;
    double secondsSinceLastEventType(std::int32_t stateID, std::uint32_t eventType) const override;
    std::optional<core::Point> currentEventLocation() const override;
    std::unique_ptr<ModifierObservation> observeModifierFlags(ModifierHandler onChange) const override;

    // Moves the pointer (screen coordinates) now: a mouse-moved event.
    void moveMouse(core::Point location);
    // Presses or releases a mouse button (0 left, 1 right, others up to 63) now:
    // a down or up event of the button's kind. Pressing a held button, or
    // releasing one that is up, changes nothing.
    void pressMouseButton(std::uint32_t button);
    void releaseMouseButton(std::uint32_t button);
    // Presses a key and lets it go now: a key-down and a key-up event.
    void typeKey();
    // Presses this key with these modifiers (the hot-key manager's modifier
    // bits) and lets it go now: the key events, the monitors' key-down, and
    // the hot-key manager's answer (nothing when no hot key has the chord).
    std::optional<std::int32_t> pressKey(std::uint32_t keyCode, std::uint32_t hotKeyModifiers);
    // Where key presses go besides the monitors.
    void setHotkeyManager(std::shared_ptr<SimulatedHotkeyManager> manager);

    MonitorId addGlobalMonitor(std::uint32_t eventMask, Handler handler) override;
    void removeMonitor(MonitorId id) override;
    // Holds exactly these modifier keys from now: a flags-changed event when they change.
    void setModifierFlags(std::uint64_t flags);
    // While set, no event can be made, so `currentEventLocation` answers nothing.
    void setEventCreationFails(bool fails);

    // Drags with the left button while holding Command, from `from` to `to`
    // (screen coordinates, as for `moveMouse`), taking `duration` on the input's
    // clock. Now Command goes down and the left button is pressed at `from`;
    // the pointer then moves along the straight line, as far along as the clock
    // has come whenever anything is read (left-mouse-dragged events), and once
    // the time is up it stands at `to`, where the button is released and
    // Command let go (kept when it was held before the drag), all at that
    // moment. A drag still under way when another begins is released where it
    // stands. Other input made during a drag applies at once; the drag still
    // moves the pointer and ends as planned.
    void performCommandDrag(core::Point from, core::Point to, std::chrono::nanoseconds duration);
    // Whether a drag is under way now.
    bool isDragging() const;

private:
    // A Command-drag under way.
    struct Drag {
        core::Point from;
        core::Point to;
        std::chrono::nanoseconds start{0};
        std::chrono::nanoseconds duration{0};
        bool commandHeldBefore = false;
    };

    // The observers of the modifier keys, apart from the input's lock so that
    // an observation can end whatever the input is doing.
    struct ModifierObservers {
        std::mutex mutex;
        std::map<std::uint64_t, std::shared_ptr<const ModifierHandler>> handlers;
        std::uint64_t next = 1;
    };
    class Observation;
    // Tells the modifier observers of a change noted under the lock, once the
    // lock is released: made before the lock in every call that may change them.
    class ModifierTeller {
    public:
        explicit ModifierTeller(const SimulatedInput& input) : input_(input) {}
        ModifierTeller(const ModifierTeller&) = delete;
        ModifierTeller& operator=(const ModifierTeller&) = delete;
        ~ModifierTeller() { input_.tellModifierChange(); }

    private:
        const SimulatedInput& input_;
    };

    void tellModifierChange() const;
    // Notes that the modifier keys changed, under the lock.
    void modifiersChangedLocked() const;
    void recordLocked(std::uint32_t eventType);
    void deliver(const Event& event);
    std::chrono::nanoseconds now() const;
    // Brings a drag under way up to `now`: moves the pointer along it, or ends
    // it when its time is up. Reads call it too, as the input moves on with the
    // clock whether or not anyone looks.
    void catchUpLocked(std::chrono::nanoseconds now) const;
    // Releases the drag where it stands, at `at`.
    void endDragLocked(std::chrono::nanoseconds at) const;

    std::shared_ptr<const SimulatedDesktop> desktop_;
    Clock clock_;
    mutable std::mutex mutex_;
    std::chrono::nanoseconds began_{0};
    // Mutable: a drag under way moves them on as the clock runs, reads included.
    mutable core::Point location_;
    mutable std::uint64_t buttons_ = 0;
    mutable std::uint64_t flags_ = 0;
    bool eventCreationFails_ = false;
    mutable std::map<std::uint32_t, std::chrono::nanoseconds> lastEvent_;
    mutable std::optional<Drag> drag_;
    mutable bool modifiersChanged_ = false;
    const std::shared_ptr<ModifierObservers> modifierObservers_ = std::make_shared<ModifierObservers>();
    std::shared_ptr<SimulatedHotkeyManager> hotkeyManager_;
    std::map<MonitorId, std::pair<std::uint32_t, Handler>> monitors_;
    MonitorId nextMonitor_ = 1;
};

} // namespace pellacor::platform
