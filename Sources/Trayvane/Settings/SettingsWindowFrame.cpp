#include "Trayvane/Settings/SettingsWindowFrame.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QResizeEvent>

namespace pellacor::app {

SettingsWindowFrame::SettingsWindowFrame(QWidget* parent) : AuxiliaryWindowFrame(parent) {}

void SettingsWindowFrame::closeEvent(QCloseEvent* event) {
    AuxiliaryWindowFrame::closeEvent(event);
    // Qt asks a hidden window too when the program closes everything: only
    // a window on screen is being closed.
    if (event->isAccepted() && isVisible() && onClose) {
        onClose();
    }
}

void SettingsWindowFrame::moveEvent(QMoveEvent* event) {
    AuxiliaryWindowFrame::moveEvent(event);
    if (onGeometryChange) {
        onGeometryChange();
    }
}

void SettingsWindowFrame::resizeEvent(QResizeEvent* event) {
    AuxiliaryWindowFrame::resizeEvent(event);
    if (onGeometryChange) {
        onGeometryChange();
    }
}

} // namespace pellacor::app
