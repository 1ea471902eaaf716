#include "Trayvane/Settings/RulesModel.h"

#include "MenuBarCore/Support/Localized.h"

#include <algorithm>

namespace pellacor::app {

void RulesModel::update(std::vector<RuleRow> rows, std::vector<ProfileChoice> profiles) {
    setRows(std::move(rows));
    setProfiles(std::move(profiles));
}

std::optional<std::string> RulesModel::applyingNote() const {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [](const RuleRow& row) { return row.isApplying; });
    if (found == rows_.end()) {
        return std::nullopt;
    }
    return core::localized("いまは「%@」が%@ので、「%@」に切り替えています。",
                           {found->appName, core::phrase(found->condition), found->profileName});
}

bool RulesModel::exists(std::string_view bundleID, core::AppRule::Condition condition) const {
    return std::any_of(rows_.begin(), rows_.end(), [&](const RuleRow& row) {
        return row.bundleID == bundleID && row.condition == condition;
    });
}

} // namespace pellacor::app
