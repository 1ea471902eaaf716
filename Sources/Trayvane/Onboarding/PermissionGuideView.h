#pragma once

#include "Trayvane/Onboarding/PermissionGuideModel.h"
#include "Trayvane/Windows/AuxiliaryWindowFrame.h"

class QLabel;

namespace pellacor::app {

class AppButton;
class SymbolView;

// The permission guide's window and content: why the permission is needed,
// what the program does without it, the four steps to the switch, whether the
// permission is there yet, and the three buttons (Return opens the settings,
// Escape closes). It draws the model and reports the buttons to it; it is as
// wide as the guide is and as high as its text needs. As every auxiliary
// window's frame, it tells each time it is hidden, however that came about.
// Main thread only.
class PermissionGuideView final : public AuxiliaryWindowFrame {
    Q_OBJECT

public:
    static constexpr int guideWidth = 560;
    static constexpr int padding = 24;

    explicit PermissionGuideView(PermissionGuideModel& model, QWidget* parent = nullptr);
    PermissionGuideView(const PermissionGuideView&) = delete;
    PermissionGuideView& operator=(const PermissionGuideView&) = delete;

    // The status row's symbol and text as drawn now.
    const SymbolView& statusSymbol() const { return *statusSymbol_; }
    const QLabel& statusText() const { return *statusText_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showStatus();
    void fitHeight();

    PermissionGuideModel& model_;
    core::Subscription statusChanges_;
    QWidget* statusRow_ = nullptr;
    SymbolView* statusSymbol_ = nullptr;
    QLabel* statusText_ = nullptr;
    AppButton* openSettings_ = nullptr;
    AppButton* close_ = nullptr;
};

} // namespace pellacor::app
