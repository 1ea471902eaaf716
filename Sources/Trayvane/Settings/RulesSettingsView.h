#pragma once

#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Settings/RulesModel.h"

#include <QPointer>
#include <QScrollArea>
#include <memory>

class QFrame;
class QLabel;
class QVBoxLayout;

namespace pellacor::app {

class AppButton;
class IconStore;
class RuleAddSheet;

// The settings' rules page: what automatic switching does, which rule is in
// force, the rules in priority order (or a line saying there are none), and
// "ルールを追加…", which wants at least two profiles and says so while there
// are fewer. It draws the model and acts only through the model's callbacks;
// its rows are made afresh from each new list the shell writes. The add sheet
// is a window-modal dialog made for each opening. Main thread only.
class RulesSettingsView final : public QScrollArea {
    Q_OBJECT

public:
    RulesSettingsView(RulesModel& model, std::shared_ptr<IconStore> icons, QWidget* parent = nullptr);
    RulesSettingsView(const RulesSettingsView&) = delete;
    RulesSettingsView& operator=(const RulesSettingsView&) = delete;
    ~RulesSettingsView() override;

    // The add sheet on screen; nothing while it is closed.
    RuleAddSheet* addSheet() const;
    void openAddSheet();

private:
    void showModel();

    RulesModel& model_;
    std::shared_ptr<IconStore> icons_;
    core::Subscription changes_;
    QLabel* applying_ = nullptr;
    QLabel* empty_ = nullptr;
    QFrame* list_ = nullptr;
    QVBoxLayout* listStack_ = nullptr;
    AppButton* add_ = nullptr;
    QLabel* needsProfiles_ = nullptr;
    QPointer<RuleAddSheet> addSheet_;
};

} // namespace pellacor::app
