#pragma once

#include "MenuBarSystem/Safety/HealthProblem.h"

#include <string>
#include <vector>

namespace pellacor::system {

// The findings of one health check, in the order they were found.
struct HealthReport {
    std::vector<HealthProblem> problems;

    bool isHealthy() const { return problems.empty(); }

    bool operator==(const HealthReport&) const = default;
};

// For logs: "[notInApplicationsFolder, noItems]".
std::string toString(const HealthReport& report);

} // namespace pellacor::system
