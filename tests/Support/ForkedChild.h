#pragma once

#include <chrono>
#include <functional>

namespace pellacor::testing {

// Work done in a child process of the test: a new process that reads what this
// one wrote, or one killed in the middle of its work. The child starts from a
// copy of the test's memory and ends with _exit, so nothing of the test runs
// twice.
struct ForkedChild {
    ForkedChild() = delete;

    // Runs `body` in a child and answers its exit status; -1 when the child
    // could not be started or did not end by itself.
    static int run(const std::function<int()>& body);

    // Starts a child that runs `prepare` and then `work`, waits until
    // `prepare` has returned, lets the child work for `delay` and kills it
    // with SIGKILL. What the child does first is slow (a forked process
    // touches its memory for the first time, which a sanitizer's shadow memory
    // makes very slow), so `prepare` does one round of the work: the delay
    // then counts from a child working at its usual speed. False when the
    // child could not be started, or was reaped before `prepare` ended.
    static bool killAfter(const std::function<void()>& prepare, const std::function<void()>& work,
                          std::chrono::microseconds delay);
};

} // namespace pellacor::testing
