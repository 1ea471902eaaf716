#pragma once

#include "Platform/Simulated/SimulatedPlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <memory>

namespace pellacor::demo {

// The outside world of the simulated desktop: launching and quitting its
// applications and bringing one to the front, the camera and the microphone, the Accessibility permission,
// the grant of the menu bar's layout folder, a main screen with or without a
// camera housing, the appearance of the desktop view, and Shift held as the
// program next starts (a restart or a relaunch). It also stands for
// System Settings: a deep link opened on the desktop names the page here, and
// the Accessibility page brings the panel forward with the permission's
// switch focused.
class ControlsPanel final : public QWidget {
    Q_OBJECT

public:
    explicit ControlsPanel(std::shared_ptr<platform::SimulatedPlatform> platform, QWidget* parent = nullptr);
    ~ControlsPanel() override;

    // Reads the desktop again (the applications' running state, the switches).
    void refresh();

    // The housing width a notched main screen gets when none was given.
    static constexpr double usualHousingWidth = 180;

signals:
    void darkAppearanceChanged(bool dark);
    // Whoever keeps the desktop between runs keeps the wish.
    void shiftAtNextLaunchChanged(bool held);

private:
    struct Relay;

    void showSettingsPage();
    void launchOrQuit(bool launch);
    void setNotch(bool notched);
    void setMicrophone(bool on);

    std::shared_ptr<platform::SimulatedPlatform> platform_;
    double housingWidth_ = usualHousingWidth;
    QComboBox* applications_;
    QPushButton* launch_;
    QPushButton* quit_;
    QPushButton* front_;
    QCheckBox* camera_;
    QCheckBox* microphone_;
    QCheckBox* accessibility_;
    QCheckBox* layoutFolder_;
    QCheckBox* notch_;
    QCheckBox* dark_;
    QCheckBox* shiftAtNextLaunch_;
    QLabel* settingsPage_;
    std::shared_ptr<Relay> relay_;
    platform::SimulatedSystemSettings::ObserverId settingsObserver_ = 0;
};

} // namespace pellacor::demo
