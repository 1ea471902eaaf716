#pragma once

#include <functional>

namespace pellacor::platform {

// A queue on which the platform delivers callbacks that a caller asked for on a
// queue of its choosing (the main queue, typically). Identity matters: a
// listener is removed with the very queue it was added with.
class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;

    // Runs job later on the queue, never inline. Callable from any thread; jobs
    // handed over from one thread run in that order.
    virtual void async(std::function<void()> job) = 0;
};

} // namespace pellacor::platform
