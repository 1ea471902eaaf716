#pragma once

#include "Concurrency/MainExecutor.h"
#include "Platform/DispatchQueue.h"

#include <functional>

namespace pellacor::system {

// The main queue, as the platform sees it: whatever it delivers here runs on
// the main executor, whichever thread it came from. The executor must outlive
// every platform registration that holds the queue.
class MainQueue final : public platform::DispatchQueue {
public:
    explicit MainQueue(concurrency::MainExecutor& executor) : executor_(executor) {}

    void async(std::function<void()> job) override { executor_.postFromAnyThread(std::move(job)); }

private:
    concurrency::MainExecutor& executor_;
};

} // namespace pellacor::system
