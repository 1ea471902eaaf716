#pragma once

#include "MenuBarSystem/Login/LoginItemStatus.h"
#include "MenuBarSystem/Support/SystemResult.h"

namespace pellacor::system {

// Starting the application at login. May be called from any thread.
class LoginItemControlling {
public:
    virtual ~LoginItemControlling() = default;

    virtual LoginItemStatus status() const = 0;
    // Registers (true) or unregisters (false); the status afterwards, or why the system refused.
    virtual SystemResult<LoginItemStatus> setEnabled(bool on) = 0;
    // Opens the Login Items page of the system settings.
    virtual void openSystemSettings() = 0;
};

} // namespace pellacor::system
