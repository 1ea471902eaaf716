#include "Concurrency/Sleep.h"

namespace pellacor::concurrency {

Task<void> sleep(Duration delay) {
    co_await detail::SleepAwaiter(delay);
}

Task<SleepResult> checkedSleep(Duration delay) {
    bool cancelled = co_await detail::SleepAwaiter(delay);
    co_return cancelled ? SleepResult::cancelled : SleepResult::elapsed;
}

Sleep defaultSleep() {
    return [](Duration delay) { return sleep(delay); };
}

CheckedSleep defaultCheckedSleep() {
    return [](Duration delay) { return checkedSleep(delay); };
}

} // namespace pellacor::concurrency
