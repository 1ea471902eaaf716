#pragma once

#include <string_view>

namespace pellacor::system {

// Whether the application starts at login.
enum class LoginItemStatus {
    enabled,          // registered to start at login
    requiresApproval, // registered, but the user must approve it in the system settings
    notRegistered,    // not registered
    notFound,         // the system cannot find the application's service
};

// "enabled", "requiresApproval", "notRegistered", "notFound".
std::string_view toString(LoginItemStatus status);

} // namespace pellacor::system
