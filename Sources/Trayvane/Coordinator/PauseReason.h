#pragma once

#include "MenuBarSystem/Safety/HealthProblem.h"

#include <string>
#include <utility>
#include <vector>

namespace pellacor::coordinator {

// Why hiding is paused. The control item and the settings page keep a copy, so
// it is a plain value.
class PauseReason {
public:
    enum class Kind {
        healthProblems,    // the start-up check failed, or a restriction did not take effect
        manual,            // the user or an external command paused; also the default
        optionKeyAtLaunch, // Shift or Option was held at launch
        osVersionChanged,  // the system version changed since the last confirmed restriction
        controlRemoved,    // the control item is not on the menu bar
    };

    static PauseReason healthProblems(std::vector<system::HealthProblem> problems) {
        return PauseReason(Kind::healthProblems, std::move(problems));
    }
    static PauseReason manual() { return PauseReason(Kind::manual); }
    static PauseReason optionKeyAtLaunch() { return PauseReason(Kind::optionKeyAtLaunch); }
    static PauseReason osVersionChanged() { return PauseReason(Kind::osVersionChanged); }
    static PauseReason controlRemoved() { return PauseReason(Kind::controlRemoved); }

    Kind kind() const { return kind_; }
    // The findings of `healthProblems`; empty for every other reason.
    const std::vector<system::HealthProblem>& problems() const { return problems_; }

    // Same case and, for `healthProblems`, the same findings in the same order.
    bool operator==(const PauseReason&) const = default;

private:
    explicit PauseReason(Kind kind, std::vector<system::HealthProblem> problems = {})
        : kind_(kind), problems_(std::move(problems)) {}

    Kind kind_;
    std::vector<system::HealthProblem> problems_;
};

// For logs: "manual", "healthProblems([noItems, ownItemMissing])".
std::string toString(const PauseReason& reason);

} // namespace pellacor::coordinator
