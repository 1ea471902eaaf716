#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Support/Uuid.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace pellacor::core {

// Picks the rule that decides the profile at one moment.
class RuleEngine {
public:
    RuleEngine() = delete;

    // The first rule in list order (the list order is the priority) whose
    // profile still exists and whose condition holds. Bundle identifiers are
    // compared exactly, case included.
    static std::optional<AppRule> winning(const std::vector<AppRule>& rules,
                                          const std::unordered_set<std::string>& running,
                                          const std::optional<std::string>& frontmost,
                                          const std::unordered_set<Uuid>& profileIDs);
};

} // namespace pellacor::core
