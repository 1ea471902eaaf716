#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Promise.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <utility>

namespace pellacor::testing {

// The answers an asynchronous fake gives, one per call in the order they were
// scripted: at once, at a virtual time of the executor, or held until the test
// releases the call with its answer. A call with nothing scripted answers the
// fake's default at once.
//
// Interleavings are the point: hold two calls, release them in either order, and
// see what the caller makes of a late answer.
template <typename T> class ScriptedReplies {
public:
    explicit ScriptedReplies(concurrency::MainExecutor& executor) : executor_(executor) {}
    ScriptedReplies(const ScriptedReplies&) = delete;
    ScriptedReplies& operator=(const ScriptedReplies&) = delete;

    // The next unscripted call answers this at once.
    void immediate(T value) { scripts_.push_back(Script{Script::Kind::immediate, std::move(value), {}}); }
    // The next unscripted call answers this once virtual time reaches `at` (at
    // once when it has; earlier when the calling task is cancelled, as every
    // sleep of the program ends early then).
    void dueAt(concurrency::Instant at, T value) {
        scripts_.push_back(Script{Script::Kind::dueAt, std::move(value), at});
    }
    // The next unscripted call waits until `release` answers it.
    void hold() { scripts_.push_back(Script{Script::Kind::held, std::nullopt, {}}); }

    // Answers the oldest held call that is waiting; false when none waits. The
    // caller resumes on a later turn of the executor.
    bool release(T value) { return releaseAt(0, std::move(value)); }
    // Answers the newest held call that is waiting; false when none waits.
    bool releaseNewest(T value) {
        return !waiting_.empty() && releaseAt(waiting_.size() - 1, std::move(value));
    }
    // Answers the held call at this place among those waiting (0 = the oldest),
    // so that calls can be answered in any order; false when there is none.
    bool releaseAt(std::size_t position, T value) {
        if (position >= waiting_.size()) {
            return false;
        }
        auto promise = std::move(waiting_[position]);
        waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(position));
        promise.setValue(std::move(value));
        return true;
    }
    // Held calls that wait for their answer.
    std::size_t waitingCount() const { return waiting_.size(); }
    // Scripted answers no call has taken yet.
    std::size_t scriptedCount() const { return scripts_.size(); }

    // The answer to one call: the next script, or the fallback.
    concurrency::Task<T> next(T fallback) {
        if (scripts_.empty()) {
            return answer(std::move(fallback));
        }
        Script script = std::move(scripts_.front());
        scripts_.pop_front();
        switch (script.kind) {
        case Script::Kind::immediate:
            return answer(std::move(*script.value));
        case Script::Kind::dueAt:
            return answerAt(std::move(*script.value), script.at - executor_.now());
        case Script::Kind::held:
            break;
        }
        concurrency::Promise<T> promise;
        auto future = promise.future();
        waiting_.push_back(std::move(promise));
        return answerLater(std::move(future), std::move(fallback));
    }

private:
    struct Script {
        enum class Kind { immediate, dueAt, held };
        Kind kind;
        std::optional<T> value;
        concurrency::Instant at;
    };

    static concurrency::Task<T> answer(T value) { co_return value; }
    static concurrency::Task<T> answerAt(T value, concurrency::Duration delay) {
        if (delay > concurrency::Duration::zero()) {
            co_await concurrency::sleep(delay);
        }
        co_return value;
    }
    // A held reply the test never released (the fake went away first) answers
    // the fallback, as an unscripted call would.
    static concurrency::Task<T> answerLater(concurrency::Future<T> future, T fallback) {
        auto result = co_await std::move(future);
        co_return std::move(result).valueOr(std::move(fallback));
    }

    concurrency::MainExecutor& executor_;
    std::deque<Script> scripts_;
    std::deque<concurrency::Promise<T>> waiting_;
};

} // namespace pellacor::testing
