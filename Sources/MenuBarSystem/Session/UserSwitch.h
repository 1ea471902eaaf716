#pragma once

#include "MenuBarSystem/Private/LoginWindowShim.h"
#include "MenuBarSystem/Session/UserSwitching.h"
#include "Platform/RuntimeLoader.h"

#include <memory>
#include <optional>

namespace pellacor::system {

// User switching through the private login framework, bound once at
// construction; immutable afterwards, so its availability never changes.
class UserSwitch final : public UserSwitching {
public:
    explicit UserSwitch(const std::shared_ptr<platform::RuntimeLoader>& runtime);

    bool isAvailable() const override { return shim_.has_value(); }
    // Without the framework, `unavailable(userSwitchComponentMissing)` at once.
    // Otherwise the function runs on a thread of its own, so the main thread is
    // free while the session changes: `ok` for 0, `unavailable(systemError(status))`
    // for any other status.
    concurrency::Task<SystemResult<>> switchToLoginWindow() override;

private:
    static concurrency::Task<SystemResult<>> run(std::optional<LoginWindowShim> shim);

    const std::optional<LoginWindowShim> shim_;
};

} // namespace pellacor::system
