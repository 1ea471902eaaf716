#pragma once

#include <string>

namespace pellacor::app {

// One application offered when a rule is added, identified by its bundle
// identifier.
struct RuleAppChoice {
    std::string bundleID;
    // Its display name.
    std::string name;

    bool operator==(const RuleAppChoice&) const = default;
};

} // namespace pellacor::app
