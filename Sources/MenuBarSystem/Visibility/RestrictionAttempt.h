#pragma once

#include "Concurrency/MainExecutor.h"
#include "MenuBarSystem/Private/RestrictionToken.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace pellacor::system {

// One activation of a restriction, from the moment it is sent until the
// framework confirms it. It may be cancelled before that; because the
// framework may then still bring the assertion alive, a completion that comes
// after the cancel is answered with a second end. Held by a shared pointer.
class RestrictionAttempt final : public std::enable_shared_from_this<RestrictionAttempt> {
public:
    explicit RestrictionAttempt(concurrency::MainExecutor& executor);
    RestrictionAttempt(const RestrictionAttempt&) = delete;
    RestrictionAttempt& operator=(const RestrictionAttempt&) = delete;

    // The assertion of this activation, set (on the main thread) as soon as it is handed out.
    std::shared_ptr<RestrictionToken> token;
    // Run on the main thread once a cancelled attempt's late completion has been dealt with.
    std::function<void()> onSettled;

    // Main thread: a waiting attempt becomes cancelled early; then its token is ended once.
    void cancel();
    // Whether it was cancelled before its completion came.
    bool isCancelledEarly() const;
    // Any thread: the completion came, with the framework's error code (0: the
    // assertion is active). After an early cancel, the main thread then ends the
    // token again, logs it and runs `onSettled`.
    void completed(std::uint64_t error);
    // The error code the completion reported; 0 before it came or when it succeeded.
    std::uint64_t completionError() const;

private:
    enum class Phase { waiting, cancelledEarly, completed };

    concurrency::MainExecutor& executor_;
    mutable std::mutex mutex_;
    Phase phase_ = Phase::waiting;
    std::uint64_t error_ = 0;
};

} // namespace pellacor::system
