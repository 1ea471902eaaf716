// The application delegate's part of the rules: the runner that applies them
// as applications come and go, and the rules page's callbacks and lists.
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarSystem/Watching/AppActivityWatcher.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Integrations/ProfileEditorLink.h"
#include "Trayvane/Integrations/RuleApps.h"
#include "Trayvane/Integrations/RuleRunner.h"
#include "Trayvane/Settings/AppLookup.h"

#include <map>
#include <utility>

namespace pellacor::app {

namespace {

// One edit of the rules by the user; when it changed the document the rules
// are applied again at once, so the page's change shows in the bar.
bool editRules(const std::weak_ptr<ProfileEditor>& weakEditor, const std::weak_ptr<RuleRunner>& weakRunner,
               std::string_view label, const ProfileEditor::Body& body) {
    const auto editor = weakEditor.lock();
    if (!editor || !editor->edit(true, label, body)) {
        return false;
    }
    if (const auto runner = weakRunner.lock()) {
        runner->evaluateNow();
    }
    return true;
}

} // namespace

void AppDelegate::wireRules() {
    const auto& platform = environment_.platform;
    const std::string selfBundleID = selfBundleIdentifier(environment_.bundleIdentifier);
    // A watcher of its own: the coordinator starts and stops its watcher with
    // its own life, and the rules must not depend on that.
    ruleRunner_ =
        RuleRunner::create(system::AppActivityWatcher::create(platform.workspace, *environment_.executor),
                           std::make_shared<ProfileEditorLink>(settings_.profileEditor), selfBundleID,
                           *environment_.executor, platform.workspace, {}, environment_.sleep);
    settings_.profileEditor->onEdited =
        whileAlive(weak_from_this(), [](AppDelegate& self) { self.refreshRules(); });

    // The control item's profile menu marks a profile that a rule chose.
    const std::weak_ptr<SettingsStore> weakStore = settings_.settingsStore;
    statusItems_.controlItem->profileIsAutomatic = [weakStore] {
        const auto store = weakStore.lock();
        return store && store->state().ruleTracker && store->state().ruleTracker->isApplying();
    };

    const std::weak_ptr<ProfileEditor> weakEditor = settings_.profileEditor;
    const std::weak_ptr<RuleRunner> weakRunner = ruleRunner_;
    RulesModel& model = *settings_.rulesModel;
    model.onAdd = [weakEditor, weakRunner](const std::string& bundleID, core::AppRule::Condition condition,
                                           const core::Uuid& profileID) {
        return editRules(weakEditor, weakRunner, "ルールの追加", [&](core::StoredState& state) {
            return state.addRule(bundleID, condition, profileID).has_value();
        });
    };
    model.onSetCondition = [weakEditor, weakRunner](const core::Uuid& ruleID,
                                                    core::AppRule::Condition condition) {
        return editRules(weakEditor, weakRunner, "ルールの条件の変更", [&](core::StoredState& state) {
            return state.updateRule(ruleID, condition, std::nullopt);
        });
    };
    model.onSetProfile = [weakEditor, weakRunner](const core::Uuid& ruleID, const core::Uuid& profileID) {
        return editRules(weakEditor, weakRunner, "ルールの切り替え先の変更", [&](core::StoredState& state) {
            return state.updateRule(ruleID, std::nullopt, profileID);
        });
    };
    model.onMoveUp = [weakEditor, weakRunner](const core::Uuid& ruleID) {
        editRules(weakEditor, weakRunner, "ルールの並べ替え",
                  [&](core::StoredState& state) { return state.moveRuleUp(ruleID); });
    };
    model.onDelete = [weakEditor, weakRunner](const core::Uuid& ruleID) {
        editRules(weakEditor, weakRunner, "ルールの削除",
                  [&](core::StoredState& state) { return state.removeRule(ruleID); });
    };
    // The providers hold nothing of the delegate: the page may outlive it.
    model.runningApps = [workspace = std::weak_ptr<platform::Workspace>(platform.workspace), selfBundleID] {
        const auto shared = workspace.lock();
        return shared ? RuleApps::running(*shared, selfBundleID) : std::vector<RuleAppChoice>{};
    };
    model.chooseOtherApp = [panel = environment_.applicationPanel, folder = environment_.applicationsFolder,
                            files = std::weak_ptr<const platform::FileManager>(platform.fileManager)](
                               RulesModel::AppCompletion done) {
        return RuleApps::chooseFromApplications(panel, folder, files, std::move(done));
    };
    refreshRules();
}

void AppDelegate::refreshRules() {
    const auto& store = settings_.settingsStore;
    const auto& editor = settings_.profileEditor;
    if (!store || !editor) {
        return;
    }
    const core::StoredState& state = store->state();
    std::vector<ProfileChoice> profiles = editor->choices();
    std::map<core::Uuid, std::string> names;
    for (const auto& choice : profiles) {
        names.emplace(choice.id, choice.name);
    }
    const auto& tracker = state.ruleTracker;
    std::vector<RuleRow> rows;
    rows.reserve(state.rules.size());
    for (const auto& rule : state.rules) {
        const auto named = names.find(rule.profileID);
        rows.push_back(RuleRow{
            .id = rule.id(),
            .bundleID = rule.appBundleID,
            .appName = names_ ? names_->name(rule.appBundleID) : rule.appBundleID,
            .condition = rule.condition,
            .profileID = rule.profileID,
            .profileName = named != names.end() ? named->second : core::localized("（無いプロファイル）"),
            .isApplying = tracker && tracker->isApplying() && tracker->activeRuleID() == rule.id(),
        });
    }
    settings_.rulesModel->update(std::move(rows), std::move(profiles));
}

} // namespace pellacor::app
