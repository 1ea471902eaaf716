#pragma once

#include "Platform/DispatchQueue.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace pellacor::testing {

// A queue that keeps the jobs handed to it, from any thread, until the test
// runs them on its own thread.
class HeldQueue final : public platform::DispatchQueue {
public:
    void async(std::function<void()> job) override {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }

    // Runs the jobs held now, in the order they came; jobs they hand over wait
    // for the next call. How many ran.
    std::size_t runAll() {
        std::vector<std::function<void()>> jobs;
        {
            std::lock_guard lock(mutex_);
            jobs.swap(jobs_);
        }
        for (auto& job : jobs) {
            job();
        }
        return jobs.size();
    }

private:
    std::mutex mutex_;
    std::vector<std::function<void()>> jobs_;
};

} // namespace pellacor::testing
