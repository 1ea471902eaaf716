#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Support/Observers.h"
#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/Settings/RuleAppChoice.h"
#include "Trayvane/Settings/RuleRow.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The model behind the settings' rules page: one row per stored rule, in the
// rules' order (which is their priority: the first that holds wins), the
// profiles a rule can switch to, and the callbacks through which every rule
// action leaves the settings window. It changes no rule itself: the shell
// performs each action and refreshes both lists after every edit of the
// state document. Plain C++, observable (only the two lists; setting a
// callback tells nobody); main thread.
class RulesModel {
public:
    enum class Property { rows, profiles };

    const std::vector<RuleRow>& rows() const { return rows_; }
    // An equal list is stored without telling anyone.
    void setRows(std::vector<RuleRow> rows) { observers.assign(rows_, std::move(rows), Property::rows); }

    // In the stored profiles' order; at most one active.
    const std::vector<ProfileChoice>& profiles() const { return profiles_; }
    void setProfiles(std::vector<ProfileChoice> profiles) {
        observers.assign(profiles_, std::move(profiles), Property::profiles);
    }

    // The shell's refresh: rows first, then profiles, each told only when it
    // changed, so an unchanged refresh wakes no view.
    void update(std::vector<RuleRow> rows, std::vector<ProfileChoice> profiles);

    // One sentence naming the first rule in force and the profile it chose;
    // nothing when no rule is in force.
    std::optional<std::string> applyingNote() const;

    // Whether a rule watches exactly this bundle identifier (case-sensitive)
    // under this condition; the same application under the other condition
    // does not count.
    bool exists(std::string_view bundleID, core::AppRule::Condition condition) const;

    // The actions. Each is skipped while unset; one that answers counts as
    // having failed (false) while unset.
    // Adds a rule at the end (lowest priority); true when it was added.
    std::function<bool(const std::string&, core::AppRule::Condition, const core::Uuid&)> onAdd;
    std::function<bool(const core::Uuid&, core::AppRule::Condition)> onSetCondition;
    std::function<bool(const core::Uuid&, const core::Uuid&)> onSetProfile;
    // Swaps the rule with the one before it.
    std::function<void(const core::Uuid&)> onMoveUp;
    std::function<void(const core::Uuid&)> onDelete;
    // The running user applications, sorted by name, without this program.
    std::function<std::vector<RuleAppChoice>()> runningApps;
    // The application the user chose; nothing when cancelled.
    using AppCompletion = std::function<void(std::optional<RuleAppChoice>)>;
    // Asks the user for another application and returns at once; the
    // completion comes when the user answers. What it returns takes a panel
    // still up away unanswered (empty when there is none).
    std::function<std::function<void()>(AppCompletion)> chooseOtherApp;

    core::Observers<Property> observers;

private:
    std::vector<RuleRow> rows_;
    std::vector<ProfileChoice> profiles_;
};

} // namespace pellacor::app
