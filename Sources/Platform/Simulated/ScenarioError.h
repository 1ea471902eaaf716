#pragma once

#include <string>

namespace pellacor::platform {

// Why a scenario could not be read: a message naming the offending place, such
// as "applications[2].statusItems[0].width: expected a number of at least 0".
struct ScenarioError {
    std::string message;
    bool operator==(const ScenarioError&) const = default;
};

} // namespace pellacor::platform
