#pragma once

#include "Platform/RunningApplication.h"

#include <vector>

namespace pellacor::platform {

// The workspace's list of running applications. May be called from any thread.
class RunningApplicationList {
public:
    virtual ~RunningApplicationList() = default;

    // The applications running now, in the order the workspace lists them.
    virtual std::vector<RunningApplication> runningApplications() const = 0;

protected:
    RunningApplicationList() = default;
    RunningApplicationList(const RunningApplicationList&) = default;
    RunningApplicationList& operator=(const RunningApplicationList&) = default;
};

} // namespace pellacor::platform
