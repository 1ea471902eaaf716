#pragma once

#include "Trayvane/Windows/AuxiliaryWindowFrame.h"

#include <functional>

namespace pellacor::app {

// The settings window's top-level widget, an auxiliary window's frame (so
// closing it only hides it, and it tells when it leaves the screen, a
// minimise excepted) that also tells when it is closed (its close button,
// the close command, the program) and when it moves or changes size.
class SettingsWindowFrame final : public AuxiliaryWindowFrame {
    Q_OBJECT

public:
    explicit SettingsWindowFrame(QWidget* parent = nullptr);

    std::function<void()> onClose;
    std::function<void()> onGeometryChange;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace pellacor::app
