#pragma once

#include <initializer_list>
#include <optional>

namespace pellacor::app {

// Signals turned into bytes on a pipe, so the event loop does the work: the
// handler only writes the signal's number and returns. It keeps `errno` as it
// found it, and its end of the pipe never blocks: a burst of signals that
// fills the pipe loses the ones that do not fit (one waiting byte of a kind
// wakes the loop all the same), never the process. One per process.
class SignalPipe {
public:
    SignalPipe() = delete;

    // Makes the pipe (kept from programs this one starts) and handles the
    // signals through it; false when either fails.
    static bool install(std::initializer_list<int> numbers);
    // The end the event loop watches.
    static int readEnd();
    // The next signal that came, or nothing when none waits.
    static std::optional<int> next();
};

} // namespace pellacor::app
