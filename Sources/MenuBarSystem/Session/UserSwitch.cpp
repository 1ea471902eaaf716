#include "MenuBarSystem/Session/UserSwitch.h"

#include "MenuBarCore/Support/AppIdentity.h"

#include <cstdint>
#include <system_error>
#include <utility>

namespace pellacor::system {

std::string UserSwitch::queueLabel() {
    return std::string(core::bundleIdentifier) + std::string(queueSuffix);
}

UserSwitch::UserSwitch(const std::shared_ptr<platform::RuntimeLoader>& runtime,
                       std::shared_ptr<concurrency::SerialQueue> queue)
    : shim_(LoginWindowShim::load(runtime)), queue_(std::move(queue)) {}

concurrency::Task<SystemResult<>> UserSwitch::switchToLoginWindow() {
    return run(shim_, queue_);
}

concurrency::Task<SystemResult<>> UserSwitch::run(std::optional<LoginWindowShim> shim,
                                                  std::shared_ptr<concurrency::SerialQueue> queue) {
    if (!shim) {
        co_return SystemResult<>::unavailable(UnavailableReason::userSwitchComponentMissing);
    }
    auto job = [switchFn = std::move(shim->switchFn)] { return switchFn(); };
    concurrency::Task<std::int32_t> call;
    try {
        call = queue->run(std::move(job));
    } catch (const std::system_error& error) {
        // The queue could not start its thread: report it rather than let the
        // exception end the task.
        co_return SystemResult<>::unavailable(UnavailableReason::systemError(error.code().value()));
    }
    const std::int32_t status = co_await std::move(call);
    if (status != 0) {
        co_return SystemResult<>::unavailable(UnavailableReason::systemError(status));
    }
    co_return SystemResult<>::ok();
}

} // namespace pellacor::system
