#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace pellacor::platform {

// What the input devices are doing: the pointer, the mouse buttons, the
// modifier keys and how long ago each kind of input event last came, as the
// application's event class and the event sources report them. Reads, and
// one notification (a change of the modifier keys); may be called from any thread.
class InputState {
public:
    // Event-source states, with the system's values.
    static constexpr std::int32_t privateState = -1;
    static constexpr std::int32_t combinedSessionState = 0;
    static constexpr std::int32_t hidSystemState = 1;

    // Event types, with the system's values.
    static constexpr std::uint32_t leftMouseDown = 1;
    static constexpr std::uint32_t leftMouseUp = 2;
    static constexpr std::uint32_t rightMouseDown = 3;
    static constexpr std::uint32_t rightMouseUp = 4;
    static constexpr std::uint32_t mouseMoved = 5;
    static constexpr std::uint32_t leftMouseDragged = 6;
    static constexpr std::uint32_t keyDown = 10;
    static constexpr std::uint32_t keyUp = 11;
    static constexpr std::uint32_t flagsChanged = 12;
    static constexpr std::uint32_t otherMouseDown = 25;
    static constexpr std::uint32_t otherMouseUp = 26;
    // Any of them: the most recent input event of every type.
    static constexpr std::uint32_t anyInputEventType = 0xFFFFFFFFU;

    // Mouse buttons, numbered as the system numbers them; bit n of
    // `pressedMouseButtons` is button n.
    static constexpr std::uint32_t leftButton = 0;
    static constexpr std::uint32_t rightButton = 1;
    static constexpr std::uint32_t centerButton = 2;

    // Device-independent modifier flags, with the system's values.
    static constexpr std::uint64_t capsLockFlag = 0x10000;
    static constexpr std::uint64_t shiftFlag = 0x20000;
    static constexpr std::uint64_t controlFlag = 0x40000;
    static constexpr std::uint64_t optionFlag = 0x80000;
    static constexpr std::uint64_t commandFlag = 0x100000;

    virtual ~InputState() = default;

    // The pointer, in screen coordinates (origin at the bottom left of the first
    // screen, y up).
    virtual core::Point mouseLocation() const = 0;
    // The mouse buttons held down now, one bit per button.
    virtual std::uint64_t pressedMouseButtons() const = 0;
    // The modifier keys held down now.
    virtual std::uint64_t modifierFlags() const = 0;

    // Whether a button is down, and the modifier flags, as an event-source state sees them.
    virtual bool buttonState(std::int32_t stateID, std::uint32_t button) const = 0;
    virtual std::uint64_t flagsState(std::int32_t stateID) const = 0;
    // Seconds since the last event of the type came through the state; since
    // the session began when none has.
    virtual double secondsSinceLastEventType(std::int32_t stateID, std::uint32_t eventType) const = 0;

    // The location of a new event made without a source, in top-down
    // coordinates (origin at the top left of the first screen, y down); nothing
    // when no event can be made.
    virtual std::optional<core::Point> currentEventLocation() const = 0;

    // An observation of the modifier keys; it ends when destroyed. A call
    // already under way on another thread may still finish after that.
    class ModifierObservation {
    public:
        virtual ~ModifierObservation() = default;
    };
    // Called with the modifier flags held from then on, on the thread that
    // changed them, never with the input's own lock held.
    using ModifierHandler = std::function<void(std::uint64_t flags)>;
    // Calls `onChange` after each change of the modifier keys held (a
    // flags-changed event), not for the keys held now.
    virtual std::unique_ptr<ModifierObservation> observeModifierFlags(ModifierHandler onChange) const = 0;

protected:
    InputState() = default;
    InputState(const InputState&) = default;
    InputState& operator=(const InputState&) = default;
};

} // namespace pellacor::platform
