#pragma once

#include "Concurrency/Time.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace pellacor::testing {

// A monotonic clock that moves only when told to, readable and movable from any
// thread: for timings measured off the main executor (on a serial queue, say),
// where the manual executor's clock may not be touched.
class VirtualClock {
public:
    concurrency::Instant now() const {
        return concurrency::Instant(concurrency::Duration(nanoseconds_.load()));
    }
    void advance(concurrency::Duration duration) { nanoseconds_ += duration.count(); }
    concurrency::Duration elapsed() const { return concurrency::Duration(nanoseconds_.load()); }

    // The clock as an injected `Now`, and a way to spend time that moves it. The
    // clock must outlive both.
    concurrency::Now nowFunction() {
        return [this] { return now(); };
    }
    std::function<void(std::chrono::nanoseconds)> spendFunction() {
        return [this](std::chrono::nanoseconds duration) { advance(duration); };
    }

private:
    std::atomic<std::int64_t> nanoseconds_{0};
};

} // namespace pellacor::testing
