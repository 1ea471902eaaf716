#pragma once

#include "Platform/Simulated/SimulatedPlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QWidget>
#include <memory>

namespace pellacor::demo {

// The outside world of the simulated desktop: launching and quitting its
// applications, the camera and the microphone, the Accessibility permission,
// the grant of the menu bar's layout folder, a main screen with or without a
// camera housing, and the appearance of the desktop view.
class ControlsPanel final : public QWidget {
    Q_OBJECT

public:
    explicit ControlsPanel(std::shared_ptr<platform::SimulatedPlatform> platform, QWidget* parent = nullptr);

    // Reads the desktop again (the applications' running state, the switches).
    void refresh();

    // The housing width a notched main screen gets when none was given.
    static constexpr double usualHousingWidth = 180;

signals:
    void darkAppearanceChanged(bool dark);

private:
    void launchOrQuit(bool launch);
    void setNotch(bool notched);
    void setMicrophone(bool on);

    std::shared_ptr<platform::SimulatedPlatform> platform_;
    double housingWidth_ = usualHousingWidth;
    QComboBox* applications_;
    QPushButton* launch_;
    QPushButton* quit_;
    QCheckBox* camera_;
    QCheckBox* microphone_;
    QCheckBox* accessibility_;
    QCheckBox* layoutFolder_;
    QCheckBox* notch_;
    QCheckBox* dark_;
};

} // namespace pellacor::demo
