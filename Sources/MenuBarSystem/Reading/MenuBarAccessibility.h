#pragma once

#include "MenuBarSystem/Reading/ExtrasReadOutcome.h"
#include "MenuBarSystem/Reading/MenuBarAppInfo.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace pellacor::system {

// The accessibility operations the item reader needs. Calls block (each
// accessibility message up to its time-out) and come from the reader's queues,
// possibly two at once, so an implementation must be thread-safe.
class MenuBarAccessibility {
public:
    // Asked before each item of a bar; true ends the walk with `DeadlinePassed`.
    using DeadlineCheck = std::function<bool()>;

    virtual ~MenuBarAccessibility() = default;

    // Whether the process is trusted for accessibility, asked without prompting.
    virtual bool isTrusted() const = 0;
    // The running applications, in the order the workspace lists them.
    virtual std::vector<MenuBarAppInfo> runningApps() const = 0;
    // The items of one application's extras menu bar, with a messaging time-out
    // (seconds) on every element asked.
    virtual ExtrasReadOutcome readExtras(std::int32_t pid, float timeout,
                                         const DeadlineCheck& isPastDeadline) const = 0;

protected:
    MenuBarAccessibility() = default;
    MenuBarAccessibility(const MenuBarAccessibility&) = default;
    MenuBarAccessibility& operator=(const MenuBarAccessibility&) = default;
};

} // namespace pellacor::system
