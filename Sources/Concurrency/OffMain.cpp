#include "Concurrency/OffMain.h"

namespace pellacor::concurrency {

namespace {
Task<void> runOn(std::shared_ptr<SerialQueue> queue, std::function<void()> job) {
    co_await queue->run(std::move(job));
}
} // namespace

OffMain offMainOn(std::shared_ptr<SerialQueue> queue) {
    return [queue = std::move(queue)](std::function<void()> job) { return runOn(queue, std::move(job)); };
}

} // namespace pellacor::concurrency
