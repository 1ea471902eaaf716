#pragma once

#include "Platform/LoginItemService.h"

#include <mutex>
#include <optional>

namespace pellacor::platform {

// The login-item service of the simulated desktop. Registering makes the
// application `enabled`, or `requiresApproval` while approval is required;
// unregistering makes it `notRegistered`. A scenario or a test can set any
// status (an unknown raw value too) and make either call fail with an error
// code, in which case the status stays as it was. Every call is counted, and
// opening the Login Items settings is recorded.
class SimulatedLoginItemService final : public LoginItemService {
public:
    explicit SimulatedLoginItemService(Status status = Status::notRegistered);

    void setStatus(Status status);
    // While set, a successful registration waits for the user's approval.
    void setRequiresApproval(bool required);
    // Later registrations (unregistrations) fail with this error; nothing lets them succeed.
    void setRegisterError(std::optional<Error> error);
    void setUnregisterError(std::optional<Error> error);

    int registerCount() const;
    int unregisterCount() const;
    int settingsOpenCount() const;

    Status mainAppStatus() override;
    std::optional<Error> registerMainApp() override;
    std::optional<Error> unregisterMainApp() override;
    void openSystemSettingsLoginItems() override;

private:
    mutable std::mutex mutex_;
    Status status_;
    bool requiresApproval_ = false;
    std::optional<Error> registerError_;
    std::optional<Error> unregisterError_;
    int registers_ = 0;
    int unregisters_ = 0;
    int settingsOpens_ = 0;
};

} // namespace pellacor::platform
