#pragma once

#include <cassert>
#include <optional>
#include <utility>

namespace pellacor::concurrency {

// How the wait for a future ended.
enum class FutureStatus {
    ready,    // the promise was completed: the value is there
    broken,   // every copy of the promise went away without a value
    timedOut, // the wait's time limit passed first (waitFor only)
};

// What `co_await future` gives: the value, or why there is none. A broken
// promise is an ordinary outcome the awaiting task must handle (the work that
// should have completed it was dropped), never a task left waiting for ever.
template <typename T> class FutureResult {
public:
    static FutureResult ready(T value) { return FutureResult(FutureStatus::ready, std::move(value)); }
    static FutureResult failed(FutureStatus status) {
        assert(status != FutureStatus::ready);
        return FutureResult(status, std::nullopt);
    }

    FutureStatus status() const noexcept { return status_; }
    bool hasValue() const noexcept { return status_ == FutureStatus::ready; }
    bool isBroken() const noexcept { return status_ == FutureStatus::broken; }
    bool isTimedOut() const noexcept { return status_ == FutureStatus::timedOut; }
    explicit operator bool() const noexcept { return hasValue(); }

    T& value() & {
        assert(hasValue());
        return *value_;
    }
    T&& value() && {
        assert(hasValue());
        return std::move(*value_);
    }
    T& operator*() & { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    // The value, or `fallback` when there is none.
    T valueOr(T fallback) && { return hasValue() ? std::move(*value_) : std::move(fallback); }

private:
    FutureResult(FutureStatus status, std::optional<T> value) : status_(status), value_(std::move(value)) {}

    FutureStatus status_;
    std::optional<T> value_;
};

template <> class FutureResult<void> {
public:
    static FutureResult ready() noexcept { return FutureResult(FutureStatus::ready); }
    static FutureResult failed(FutureStatus status) noexcept {
        assert(status != FutureStatus::ready);
        return FutureResult(status);
    }

    FutureStatus status() const noexcept { return status_; }
    bool hasValue() const noexcept { return status_ == FutureStatus::ready; }
    bool isBroken() const noexcept { return status_ == FutureStatus::broken; }
    bool isTimedOut() const noexcept { return status_ == FutureStatus::timedOut; }
    explicit operator bool() const noexcept { return hasValue(); }

private:
    explicit FutureResult(FutureStatus status) noexcept : status_(status) {}

    FutureStatus status_;
};

} // namespace pellacor::concurrency
