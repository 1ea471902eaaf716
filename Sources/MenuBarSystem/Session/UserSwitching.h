#pragma once

#include "Concurrency/Task.h"
#include "MenuBarSystem/Support/SystemResult.h"

namespace pellacor::system {

// Fast user switching: sending the user to the login window.
class UserSwitching {
public:
    virtual ~UserSwitching() = default;

    // Whether switching can work at all on this system; fixed for the run.
    virtual bool isAvailable() const = 0;
    // Switches off the caller's thread and resumes the awaiting task on its own
    // executor with the outcome.
    virtual concurrency::Task<SystemResult<>> switchToLoginWindow() = 0;
};

} // namespace pellacor::system
