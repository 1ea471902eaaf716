#include "MenuBarSystem/Visibility/RestrictionAttempt.h"

#include "MenuBarCore/Support/Log.h"

namespace pellacor::system {

RestrictionAttempt::RestrictionAttempt(concurrency::MainExecutor& executor) : executor_(executor) {}

void RestrictionAttempt::cancel() {
    {
        std::lock_guard lock(mutex_);
        if (phase_ == Phase::waiting) {
            phase_ = Phase::cancelledEarly;
        }
    }
    if (token) {
        token->invalidateOnce();
    }
}

bool RestrictionAttempt::isCancelledEarly() const {
    std::lock_guard lock(mutex_);
    return phase_ == Phase::cancelledEarly;
}

std::uint64_t RestrictionAttempt::completionError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void RestrictionAttempt::completed(std::uint64_t error) {
    Phase old;
    {
        std::lock_guard lock(mutex_);
        old = phase_;
        phase_ = Phase::completed;
        error_ = error;
    }
    if (old != Phase::cancelledEarly) {
        return;
    }
    // The end sent at the cancel may have come before the framework brought the
    // assertion alive, so it is sent once more, now that it is known to be done.
    executor_.postFromAnyThread([self = shared_from_this()] {
        if (self->token) {
            self->token->invalidateAgain();
        }
        core::Log::visibility().notice("完了の前に外した制限に、知らせのあとでもう一度「外す」を送りました");
        if (self->onSettled) {
            self->onSettled();
        }
    });
}

} // namespace pellacor::system
