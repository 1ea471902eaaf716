#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <cstdint>
#include <functional>

namespace pellacor::platform {

// Watches input made anywhere on the desktop (outside the program's own
// windows too): mouse-down and key-down events. Handlers run on the main thread.
class GlobalEventMonitor {
public:
    enum class EventKind { leftMouseDown, rightMouseDown, otherMouseDown, keyDown };
    // Which kinds a monitor receives: a set of EventKind bits.
    static constexpr std::uint32_t mask(EventKind kind) { return 1U << static_cast<unsigned>(kind); }
    // Mouse-down of any button: the first three kinds.
    static constexpr std::uint32_t mouseDownMask = 0b111;

    struct Event {
        EventKind kind = EventKind::leftMouseDown;
        core::Point location; // screen coordinates
        std::uint64_t modifierFlags = 0;
        std::uint32_t keyCode = 0; // key-down only
        bool operator==(const Event&) const = default;
    };
    using Handler = std::function<void(const Event&)>;
    using MonitorId = std::uint64_t;

    virtual ~GlobalEventMonitor() = default;

    // A monitor for the kinds in `eventMask`; 0 when none could be added.
    virtual MonitorId addGlobalMonitor(std::uint32_t eventMask, Handler handler) = 0;
    virtual void removeMonitor(MonitorId id) = 0;

protected:
    GlobalEventMonitor() = default;
    GlobalEventMonitor(const GlobalEventMonitor&) = default;
    GlobalEventMonitor& operator=(const GlobalEventMonitor&) = default;
};

} // namespace pellacor::platform
