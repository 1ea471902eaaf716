#pragma once

#include "Trayvane/Settings/SettingsPage.h"

#include <QAbstractButton>

namespace pellacor::app {

// One tab of the settings window: the page's title, in the heading font on
// a rounded fill with an accent bar beneath while its page is shown, in the
// body font on nothing otherwise. Checked means selected, which is also what
// accessibility reads. It takes no keyboard focus: the pages' controls keep it.
class SettingsTab final : public QAbstractButton {
    Q_OBJECT

public:
    explicit SettingsTab(SettingsPage page, QWidget* parent = nullptr);

    SettingsPage page() const { return page_; }
    void setSelected(bool selected);
    bool isSelected() const { return isChecked(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The label's margins and the look's measures.
    static constexpr int horizontalMargin = 16;
    static constexpr int verticalMargin = 6;
    static constexpr double cornerRadius = 7;
    static constexpr double barHeight = 3;
    static constexpr double barInset = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A click never unchecks it: pressing the shown page's tab changes nothing.
    void nextCheckState() override {}

private:
    SettingsPage page_;
};

} // namespace pellacor::app
