#pragma once

#include "Platform/HostInfo.h"

#include <string>

namespace pellacor::platform {

// The simulated computer's system version and model, as its scenario says.
class SimulatedHostInfo final : public HostInfo {
public:
    SimulatedHostInfo(OperatingSystemVersion version, std::string machineModel)
        : version_(version), machineModel_(std::move(machineModel)) {}

    OperatingSystemVersion operatingSystemVersion() const override { return version_; }
    std::string machineModel() const override { return machineModel_; }

private:
    OperatingSystemVersion version_;
    std::string machineModel_;
};

} // namespace pellacor::platform
