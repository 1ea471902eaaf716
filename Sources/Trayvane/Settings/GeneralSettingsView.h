#pragma once

#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Settings/GeneralModel.h"

#include <QScrollArea>
#include <array>

class QLabel;
class QVBoxLayout;

namespace pellacor::app {

class AppButton;
class SettingsCheckBox;
class SymbolView;

// The settings' General page: the login item, the five reveal switches each
// with its help text, the Accessibility permission and the pause, top to
// bottom in a scrolling column that hugs the left edge. It draws the model
// and reports every click through the model's callbacks; it never writes the
// model, so a box changes only once the delegate has written the new value.
// Main thread only.
class GeneralSettingsView final : public QScrollArea {
    Q_OBJECT

public:
    explicit GeneralSettingsView(GeneralModel& model, QWidget* parent = nullptr);
    GeneralSettingsView(const GeneralSettingsView&) = delete;
    GeneralSettingsView& operator=(const GeneralSettingsView&) = delete;
    ~GeneralSettingsView() override;

private:
    struct Reveal {
        SettingsCheckBox* box;
        bool (GeneralModel::*shown)() const;
    };

    QVBoxLayout* loginSection();
    QVBoxLayout* revealSection();
    QVBoxLayout* permissionSection();
    QVBoxLayout* pauseSection();
    void showModel();

    GeneralModel& model_;
    core::Subscription changes_;
    SettingsCheckBox* loginBox_ = nullptr;
    QLabel* loginNote_ = nullptr;
    AppButton* loginSettings_ = nullptr;
    std::array<Reveal, 5> reveals_{};
    QWidget* permission_ = nullptr;
    SymbolView* permissionSymbol_ = nullptr;
    QLabel* permissionText_ = nullptr;
    AppButton* permissionGuide_ = nullptr;
    QLabel* stateText_ = nullptr;
    AppButton* resume_ = nullptr;
    AppButton* pause_ = nullptr;
};

} // namespace pellacor::app
