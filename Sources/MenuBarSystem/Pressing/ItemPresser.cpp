#include "MenuBarSystem/Pressing/ItemPresser.h"

#include "MenuBarCore/Support/AppIdentity.h"

#include <string>

namespace pellacor::system {

concurrency::SerialQueue& ItemPresser::queue() {
    static concurrency::SerialQueue shared(std::string(core::bundleIdentifier) + std::string(queueSuffix));
    return shared;
}

ItemPresser::OffMain ItemPresser::queueRunner() {
    return [](std::function<void()> job) { return runOnQueue(std::move(job)); };
}

concurrency::Task<void> ItemPresser::runOnQueue(std::function<void()> job) {
    co_await queue().run(std::move(job));
}

} // namespace pellacor::system
