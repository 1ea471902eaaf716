#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Windows/Sheet.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QHBoxLayout;
class QMenu;
class QPushButton;

namespace pellacor::app {

class AppIconView;
class IconStore;

// The rules page's sheet that adds a rule: an application (running ones, or
// another chosen through the model's panel), a condition and the profile to
// switch to. One sheet per opening: the running applications are read once,
// when it is made, and the first profile that is not active is preselected.
// Return commits through the one default button, Escape and "キャンセル" close
// it without calling anything. A problem stays until the next commit replaces
// it. Main thread only.
class RuleAddSheet final : public Sheet {
public:
    static constexpr int sheetWidth = 460;

    RuleAddSheet(RulesModel& model, std::shared_ptr<IconStore> icons, QWidget* parent = nullptr);
    // Takes a panel that is still up away unanswered.
    ~RuleAddSheet() override;
    RuleAddSheet(const RuleAddSheet&) = delete;
    RuleAddSheet& operator=(const RuleAddSheet&) = delete;

    const std::vector<RuleAppChoice>& apps() const { return apps_; }
    const std::optional<RuleAppChoice>& app() const { return app_; }
    core::AppRule::Condition condition() const { return condition_; }
    const std::optional<core::Uuid>& profileID() const { return profileID_; }
    const std::optional<std::string>& problem() const { return problem_; }

    // What the menus and choices do when picked, for the keyboard-free tests
    // and the menus alike.
    void chooseApp(const RuleAppChoice& choice);
    // Opens the model's panel and returns at once: the application chosen
    // there is the sheet's when the panel ends, a cancelled panel keeps the
    // earlier choice.
    void chooseOtherApp();
    void chooseCondition(core::AppRule::Condition condition);
    void chooseProfile(const core::Uuid& id);

    // Checks the choices in order and hands a complete one to the model;
    // closes the sheet when the rule was added, else shows why not.
    void commit();

private:
    // The first profile that is not active, else the first one.
    void preselectProfile();
    void addAppGroup();
    void addConditionGroup();
    void addProfileGroup();
    void showState();

    RulesModel& model_;
    std::shared_ptr<IconStore> icons_;
    std::vector<RuleAppChoice> apps_;
    std::optional<RuleAppChoice> app_;
    core::AppRule::Condition condition_ = core::AppRule::Condition::running;
    std::optional<core::Uuid> profileID_;
    std::optional<std::string> problem_;
    // Takes the other-application panel away while it is up.
    std::function<void()> dismissPanel_;

    QPushButton* appMenuButton_ = nullptr;
    QHBoxLayout* appLine_ = nullptr;
    AppIconView* appIcon_ = nullptr;
    std::array<QPushButton*, 2> conditionButtons_{};
    QPushButton* profileMenuButton_ = nullptr;
    QMenu* profileMenu_ = nullptr;
};

} // namespace pellacor::app
