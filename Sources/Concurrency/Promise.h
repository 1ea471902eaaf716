#pragma once

#include "Concurrency/Future.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace pellacor::concurrency {

// The sending end of a Future, completed from any thread. Copies share the
// one value: the first setValue() counts, later ones return false. When the
// last copy goes without a value, the promise is broken: the awaiting task
// resumes with `FutureStatus::broken` instead of a value.
//
//     Promise<int> promise;
//     Future<int> future = promise.future();   // once
//     queue.async([promise] { promise.setValue(42); });
//     auto result = co_await std::move(future);
//     if (!result) { ... }                      // broken
//     int value = *result;
template <typename T> class Promise {
public:
    Promise() : keeper_(std::make_shared<Keeper>(std::make_shared<detail::FutureState<T>>())) {}

    // The future of this promise. Take it once.
    Future<T> future() const { return Future<T>(keeper_->state); }

    template <typename U = T>
    requires(!std::is_void_v<U>) bool setValue(U value) const {
        return keeper_->state->complete(std::move(value));
    }
    template <typename U = T>
    requires std::is_void_v<U>
    bool setValue() const { return keeper_->state->complete(std::monostate{}); }

private:
    // Lives as long as any copy of the promise.
    struct Keeper {
        explicit Keeper(std::shared_ptr<detail::FutureState<T>> s) noexcept : state(std::move(s)) {}
        Keeper(const Keeper&) = delete;
        Keeper& operator=(const Keeper&) = delete;
        ~Keeper() { state->abandon(); }
        std::shared_ptr<detail::FutureState<T>> state;
    };
    std::shared_ptr<Keeper> keeper_;
};

} // namespace pellacor::concurrency
