#pragma once

#include "Trayvane/Settings/RuleLayoutChooser.h"
#include "Trayvane/Settings/RuleRow.h"
#include "Trayvane/Settings/RulesModel.h"

#include <QWidget>
#include <memory>

class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;

namespace pellacor::app {

class AppButton;
class IconStore;

// One rule on the rules page: its application, whether it is in force, and
// the controls that read as one sentence (condition "は" profile "にする")
// beside or under the buttons "1つ上へ" and "削除", in the first arrangement
// that fits the row's width. Every control acts through the model's callbacks
// and ignores their answers; the row is made afresh when the shell's new rows
// arrive. A condition that another rule of the same application already uses
// cannot be chosen. The controls' identifiers end in the condition, since one
// application may have a rule for each. Main thread only.
class RuleRowView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int padding = 12;

    RuleRowView(RuleRow row, bool isFirst, RulesModel& model, std::shared_ptr<IconStore> icons,
                QWidget* parent = nullptr);

    const RuleRow& row() const { return row_; }
    RuleLayoutChooser::Layout layout() const { return layout_; }
    // The natural widths the arrangement is chosen from.
    RuleLayoutChooser::Widths widths() const;

    QMenu* conditionMenu() const { return conditionMenu_; }
    QMenu* profileMenu() const { return profileMenu_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The application's icon and name, and the mark of a rule in force.
    QHBoxLayout* makeTitleLine(std::shared_ptr<IconStore> icons);
    // The condition and profile menus with the words between them, in the controls.
    void makeSentence();
    void makeButtons(bool isFirst);
    void arrange(RuleLayoutChooser::Layout layout);

    RuleRow row_;
    RulesModel& model_;
    RuleLayoutChooser::Layout layout_ = RuleLayoutChooser::Layout::oneLine;
    QWidget* controls_ = nullptr;
    QPushButton* conditionButton_ = nullptr;
    QMenu* conditionMenu_ = nullptr;
    QLabel* isText_ = nullptr;
    QPushButton* profileButton_ = nullptr;
    QMenu* profileMenu_ = nullptr;
    QLabel* makeText_ = nullptr;
    QWidget* buttons_ = nullptr;
};

} // namespace pellacor::app
