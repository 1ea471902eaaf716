#pragma once

#include <string>

namespace pellacor::platform {

// Facts about the computer: the operating system's version and the machine's
// model identifier. Any thread.
class HostInfo {
public:
    struct OperatingSystemVersion {
        int majorVersion = 0;
        int minorVersion = 0;
        int patchVersion = 0;
        bool operator==(const OperatingSystemVersion&) const = default;
    };

    virtual ~HostInfo() = default;

    virtual OperatingSystemVersion operatingSystemVersion() const = 0;
    // The model identifier ("hw.model"), such as "Mac15,3".
    virtual std::string machineModel() const = 0;

protected:
    HostInfo() = default;
    HostInfo(const HostInfo&) = default;
    HostInfo& operator=(const HostInfo&) = default;
};

} // namespace pellacor::platform
