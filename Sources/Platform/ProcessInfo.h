#pragma once

#include <cstdint>

namespace pellacor::platform {

// Facts about the program's own process. Any thread.
class ProcessInfo {
public:
    virtual ~ProcessInfo() = default;

    // The program's process identifier, as other processes' elements and
    // windows report their owners.
    virtual std::int32_t processIdentifier() const = 0;

protected:
    ProcessInfo() = default;
    ProcessInfo(const ProcessInfo&) = default;
    ProcessInfo& operator=(const ProcessInfo&) = default;
};

} // namespace pellacor::platform
