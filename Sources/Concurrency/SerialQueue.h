#pragma once

#include "Concurrency/Future.h"
#include "Concurrency/Promise.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>

namespace pellacor::concurrency {

// One worker thread that runs blocking calls one after another, in the order
// they were queued. The thread is started on first use and named after the
// label. Destroying the queue runs what is still queued, then joins the
// thread; its owner destroys it before the main executor.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;
    ~SerialQueue();

    const std::string& label() const noexcept { return label_; }

    // Queues job. Callable from any thread.
    void async(std::function<void()> job);

    // Runs fn on the queue and gives its result to the task that awaits the
    // returned task, which resumes on its own executor:
    //     auto items = co_await queue.run([reader] { return reader->read(); });
    // fn is queued by this call and starts as soon as the queue gets to it,
    // awaited or not; cancelling the awaiting task does not stop it. The queue
    // runs every job it was given, even while it is being destroyed, so the
    // value always comes.
    template <typename F> Task<std::invoke_result_t<F&>> run(F fn) {
        using R = std::invoke_result_t<F&>;
        Promise<R> promise;
        Future<R> future = promise.future();
        auto shared = std::make_shared<F>(std::move(fn));
        async([promise, shared] {
            if constexpr (std::is_void_v<R>) {
                (*shared)();
                promise.setValue();
            } else {
                promise.setValue((*shared)());
            }
        });
        return valueOf<R>(std::move(future), label_);
    }

    // The name the worker thread gets: Linux allows 15 bytes, so a longer
    // label keeps its last 15 bytes, where the distinctive part of a label like
    // "app.trayvane.pellacor.item-reader" is ("cor.item-reader"). A cut never
    // splits a UTF-8 sequence.
    static std::string threadName(std::string_view label);

private:
    template <typename R> static Task<R> valueOf(Future<R> future, std::string label) {
        auto result = co_await std::move(future);
        if (!result) {
            lostJob(label);
        }
        if constexpr (!std::is_void_v<R>) {
            co_return std::move(result).value();
        }
    }
    // A job of the queue was dropped without running, which its destructor
    // rules out: a fault, and the end of the process.
    [[noreturn]] static void lostJob(const std::string& label);

    void work();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace pellacor::concurrency
