#pragma once

#include "Concurrency/SerialQueue.h"
#include "Concurrency/Task.h"

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace pellacor::concurrency {

// Runs a blocking job somewhere other than the main executor and finishes,
// back on the awaiting task's executor, once the job has run. Never cancelled.
// A service takes one of these so that tests can run its blocking calls
// elsewhere (inline, on a queue they drive, held until released).
using OffMain = std::function<Task<void>(std::function<void()>)>;

// Runs each job on `queue`, which the runner keeps alive.
OffMain offMainOn(std::shared_ptr<SerialQueue> queue);

// Runs `work` through `runner` and gives its value back on the caller's
// executor. The work never throws and always runs to its end: cancelling the
// caller does not stop it, and its value is dropped if nobody waits any more.
//     auto items = co_await offMain(runner, [reader] { return reader->read(); });
template <typename F> Task<std::invoke_result_t<F&>> offMain(OffMain runner, F work) {
    using Result = std::invoke_result_t<F&>;
    if constexpr (std::is_void_v<Result>) {
        std::function<void()> job = [work = std::move(work)]() mutable { work(); };
        co_await runner(std::move(job));
    } else {
        auto result = std::make_shared<std::optional<Result>>();
        std::function<void()> job = [result, work = std::move(work)]() mutable { result->emplace(work()); };
        co_await runner(std::move(job));
        co_return std::move(**result);
    }
}

} // namespace pellacor::concurrency
