#include "Trayvane/App/RulesComponent.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarSystem/Watching/AppActivityWatcher.h"
#include "Trayvane/App/SharedServices.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Integrations/ProfileEditorLink.h"
#include "Trayvane/Integrations/RuleApps.h"
#include "Trayvane/Integrations/RuleRunner.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SettingsStore.h"

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

std::shared_ptr<RulesComponent> RulesComponent::create(const ProgramEnvironment& environment,
                                                       const SharedServices& services,
                                                       std::shared_ptr<SettingsStore> store,
                                                       const std::shared_ptr<ProfileEditor>& editor,
                                                       std::shared_ptr<RulesModel> model) {
    auto component = std::shared_ptr<RulesComponent>(
        new RulesComponent(environment, services, std::move(store), editor, std::move(model)));
    component->wireEdits();
    component->wireChoices(environment, services.selfBundleID);
    component->refresh();
    return component;
}

// A watcher of its own: the coordinator starts and stops its watcher with
// its own life, and the rules must not depend on that.
RulesComponent::RulesComponent(const ProgramEnvironment& environment, const SharedServices& services,
                               std::shared_ptr<SettingsStore> store,
                               const std::shared_ptr<ProfileEditor>& editor,
                               std::shared_ptr<RulesModel> model)
    : store_(std::move(store)), editor_(editor), model_(std::move(model)), nameOf_(services.nameOf()) {
    const auto& platform = environment.platform;
    runner_ =
        RuleRunner::create(system::AppActivityWatcher::create(platform.workspace, *environment.executor),
                           std::make_shared<ProfileEditorLink>(editor), services.selfBundleID,
                           *environment.executor, platform.workspace, {}, environment.sleep);
}

// The editor's every edit refreshes the page; the page's edits go through the editor.
void RulesComponent::wireEdits() {
    const std::weak_ptr<ProfileEditor> weakEditor = editor_;
    if (const auto editor = weakEditor.lock()) {
        editor->onEdited = whileAlive(weak_from_this(), [](RulesComponent& self) { self.refresh(); });
    }
    const std::weak_ptr<RuleRunner> weakRunner = runner_;
    RulesModel& model = *model_;
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
}

// The providers hold nothing of the component: the page may outlive it.
void RulesComponent::wireChoices(const ProgramEnvironment& environment, const std::string& selfBundleID) {
    const auto& platform = environment.platform;
    model_->runningApps = [workspace = std::weak_ptr<platform::Workspace>(platform.workspace), selfBundleID] {
        const auto shared = workspace.lock();
        return shared ? RuleApps::running(*shared, selfBundleID) : std::vector<RuleAppChoice>{};
    };
    model_->chooseOtherApp = [panel = environment.applicationPanel, folder = environment.applicationsFolder,
                              files = std::weak_ptr<const platform::FileManager>(platform.fileManager)](
                                 RulesModel::AppCompletion done) {
        return RuleApps::chooseFromApplications(panel, folder, files, std::move(done));
    };
}

void RulesComponent::start() {
    runner_->start();
}

void RulesComponent::refresh() {
    const auto editor = editor_.lock();
    if (!editor) {
        return;
    }
    const core::StoredState& state = store_->state();
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
            .appName = nameOf_(rule.appBundleID),
            .condition = rule.condition,
            .profileID = rule.profileID,
            .profileName = named != names.end() ? named->second : core::localized("（無いプロファイル）"),
            .isApplying = tracker && tracker->isApplying() && tracker->activeRuleID() == rule.id(),
        });
    }
    model_->update(std::move(rows), std::move(profiles));
}

void RulesComponent::takeDown() {
    runner_->stop();
}

} // namespace pellacor::app
