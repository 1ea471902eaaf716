#pragma once

#include "Concurrency/SerialQueue.h"
#include "MenuBarSystem/Private/LoginWindowShim.h"
#include "MenuBarSystem/Session/UserSwitching.h"
#include "Platform/RuntimeLoader.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::system {

// User switching through the private login framework, bound once at
// construction; immutable afterwards, so its availability never changes.
class UserSwitch final : public UserSwitching {
public:
    // Appended to the bundle identifier to label the queue.
    static constexpr std::string_view queueSuffix = ".user-switch";
    static std::string queueLabel();

    // The switch runs on `queue`, the process's user-switch queue.
    UserSwitch(const std::shared_ptr<platform::RuntimeLoader>& runtime,
               std::shared_ptr<concurrency::SerialQueue> queue);

    bool isAvailable() const override { return shim_.has_value(); }
    // Without the framework, `unavailable(userSwitchComponentMissing)` at once.
    // Otherwise the function runs on the queue, so the main thread is free while
    // the session changes: `ok` for 0, `unavailable(systemError(status))` for
    // any other status.
    concurrency::Task<SystemResult<>> switchToLoginWindow() override;

private:
    static concurrency::Task<SystemResult<>> run(std::optional<LoginWindowShim> shim,
                                                 std::shared_ptr<concurrency::SerialQueue> queue);

    const std::optional<LoginWindowShim> shim_;
    const std::shared_ptr<concurrency::SerialQueue> queue_;
};

} // namespace pellacor::system
