#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ratio>

namespace pellacor::concurrency {

// The main executor's monotonic timeline. It has no now() of its own: time is
// read from the executor that drives the program (real time for the Qt
// executor, virtual time for the manual one), so every timing can be injected.
// Instant{} is the executor's origin: its creation for the Qt executor, zero
// for the manual one.
struct MonotonicClock {
    using rep = std::int64_t;
    using period = std::nano;
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<MonotonicClock>;
    static constexpr bool is_steady = true;
};

// Elapsed time. Any std::chrono duration with an integral count converts to it
// implicitly (1s, 150ms, ...).
using Duration = std::chrono::nanoseconds;
// A point on the monotonic timeline; differences are Durations.
using Instant = MonotonicClock::time_point;
// A calendar date and time, for what is shown to people or stored.
using WallTime = std::chrono::system_clock::time_point;

// The injected clocks. A service that measures elapsed time takes a Now; one
// that needs the date takes a WallClock. nowOf() and wallClockOf() in
// MainExecutor.h make them from the executor.
using Now = std::function<Instant()>;
using WallClock = std::function<WallTime()>;

// Seconds since the executor's origin, for the clocks the program keeps in
// seconds (a launch time, the last press of the stand-in).
inline double secondsOf(Instant instant) noexcept {
    return std::chrono::duration<double>(instant.time_since_epoch()).count();
}

// now + delay, saturating at the ends of the timeline instead of overflowing;
// a negative delay gives now.
inline Instant deadlineAfter(Instant now, Duration delay) noexcept {
    if (delay <= Duration::zero()) {
        return now;
    }
    if (delay > Instant::max() - now) {
        return Instant::max();
    }
    return now + delay;
}

} // namespace pellacor::concurrency
