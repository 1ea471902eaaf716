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

    // Starts `work` in a child, waits until the child runs, lets it work for
    // `delay` and kills it with SIGKILL. False when the child could not be
    // started or reaped.
    static bool killAfter(const std::function<void()>& work, std::chrono::microseconds delay);
};

} // namespace pellacor::testing
