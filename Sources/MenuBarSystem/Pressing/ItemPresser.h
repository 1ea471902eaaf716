#pragma once

#include "Concurrency/SerialQueue.h"
#include "Concurrency/Task.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

namespace pellacor::system {

// Opens the menus of status items on the user's behalf.
class ItemPresser {
public:
    // The label of the presser's queue follows the bundle identifier.
    static constexpr std::string_view queueSuffix = ".item-presser";

    // Runs a blocking job somewhere other than the main executor and finishes,
    // back on the task's executor, once the job has run. Never cancelled.
    using OffMain = std::function<concurrency::Task<void>(std::function<void()>)>;

    // The presser's serial queue: one for the whole process, made on first use.
    // Every blocking call of every press goes there, one after another.
    static concurrency::SerialQueue& queue();
    // Runs each job on `queue()`.
    static OffMain queueRunner();

    // Runs `work` through `runner` and gives its value back on the caller's
    // executor. The work never throws and always runs to its end: cancelling the
    // caller does not stop it, and its value is dropped if nobody waits any more.
    template <typename F> static concurrency::Task<std::invoke_result_t<F&>> offMain(OffMain runner, F work) {
        using Result = std::invoke_result_t<F&>;
        auto result = std::make_shared<std::optional<Result>>();
        std::function<void()> job = [result, work = std::move(work)]() mutable { result->emplace(work()); };
        co_await runner(std::move(job));
        co_return std::move(**result);
    }
    // The same on `queue()`.
    template <typename F> static concurrency::Task<std::invoke_result_t<F&>> offMain(F work) {
        return offMain(queueRunner(), std::move(work));
    }

private:
    static concurrency::Task<void> runOnQueue(std::function<void()> job);
};

} // namespace pellacor::system
