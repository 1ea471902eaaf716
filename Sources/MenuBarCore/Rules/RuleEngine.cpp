#include "MenuBarCore/Rules/RuleEngine.h"

namespace pellacor::core {

std::optional<AppRule> RuleEngine::winning(const std::vector<AppRule>& rules,
                                           const std::unordered_set<std::string>& running,
                                           const std::optional<std::string>& frontmost,
                                           const std::unordered_set<Uuid>& profileIDs) {
    for (const auto& rule : rules) {
        // A rule whose profile was deleted steps aside so that a later one can win.
        if (!profileIDs.contains(rule.profileID)) {
            continue;
        }
        bool holds = false;
        switch (rule.condition) {
        case AppRule::Condition::running:
            holds = running.contains(rule.appBundleID);
            break;
        case AppRule::Condition::frontmost:
            holds = frontmost.has_value() && *frontmost == rule.appBundleID;
            break;
        }
        if (holds) {
            return rule;
        }
    }
    return std::nullopt;
}

} // namespace pellacor::core
