#pragma once

#include "MenuBarSystem/Login/LoginItemControlling.h"
#include "Platform/LoginItemService.h"

#include <memory>

namespace pellacor::system {

// The application's main service as login item. Keeps no state of its own:
// every call asks the system afresh, synchronously.
class LoginItem final : public LoginItemControlling {
public:
    explicit LoginItem(std::shared_ptr<platform::LoginItemService> service);

    // A status the service does not define reads as `notRegistered`.
    static LoginItemStatus statusFrom(platform::LoginItemService::Status status);

    LoginItemStatus status() const override;
    // `ok` with the status read afterwards, or `unavailable(systemError(code))`
    // with the refusal's code, saturated to 32 bits.
    SystemResult<LoginItemStatus> setEnabled(bool on) override;
    void openSystemSettings() override;

private:
    std::shared_ptr<platform::LoginItemService> service_;
};

} // namespace pellacor::system
