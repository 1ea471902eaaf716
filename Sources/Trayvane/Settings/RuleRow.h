#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Support/Uuid.h"

#include <string>

namespace pellacor::app {

// One stored rule as the rules page shows it, identified by the rule's id.
struct RuleRow {
    core::Uuid id;
    std::string bundleID;
    // The application's display name.
    std::string appName;
    core::AppRule::Condition condition = core::AppRule::Condition::running;
    core::Uuid profileID;
    // The target profile's display name.
    std::string profileName;
    // The rule is in force now.
    bool isApplying = false;

    bool operator==(const RuleRow&) const = default;
};

} // namespace pellacor::app
