#pragma once

#include <cstdint>
#include <optional>

namespace pellacor::platform {

// The service-management framework's main application service: whether the
// application starts at login, registering and unregistering it, and the
// system settings page for login items. May be called from any thread.
class LoginItemService {
public:
    // The service's status with the framework's raw values; the framework may
    // answer values beyond these, which the type can hold too.
    enum class Status : std::int64_t {
        notRegistered = 0,
        enabled = 1,
        requiresApproval = 2,
        notFound = 3,
    };

    // Why a registration or unregistration was refused.
    struct Error {
        std::int64_t code = 0;
        bool operator==(const Error&) const = default;
    };

    virtual ~LoginItemService() = default;

    virtual Status mainAppStatus() = 0;
    // Nothing on success, the error when refused.
    virtual std::optional<Error> registerMainApp() = 0;
    virtual std::optional<Error> unregisterMainApp() = 0;
    // Opens the Login Items page of the system settings.
    virtual void openSystemSettingsLoginItems() = 0;
};

} // namespace pellacor::platform
