#include "MenuBarSystem/Session/UserSwitch.h"

#include "Concurrency/Future.h"
#include "Concurrency/Promise.h"

#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>

namespace pellacor::system {

UserSwitch::UserSwitch(const std::shared_ptr<platform::RuntimeLoader>& runtime)
    : shim_(LoginWindowShim::load(runtime)) {}

concurrency::Task<SystemResult<>> UserSwitch::switchToLoginWindow() {
    return run(shim_);
}

concurrency::Task<SystemResult<>> UserSwitch::run(std::optional<LoginWindowShim> shim) {
    if (!shim) {
        co_return SystemResult<>::unavailable(UnavailableReason::userSwitchComponentMissing);
    }
    concurrency::Promise<std::int32_t> promise;
    auto future = promise.future();
    auto job = [promise, switchFn = std::move(shim->switchFn)] { promise.setValue(switchFn()); };
    try {
        std::thread(std::move(job)).detach();
    } catch (const std::system_error& error) {
        // No thread to be had: report it rather than let the exception end the task.
        co_return SystemResult<>::unavailable(UnavailableReason::systemError(error.code().value()));
    }
    const std::int32_t status = co_await std::move(future);
    if (status != 0) {
        co_return SystemResult<>::unavailable(UnavailableReason::systemError(status));
    }
    co_return SystemResult<>::ok();
}

} // namespace pellacor::system
