#include "Trayvane/Settings/SettingsWindowFrame.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QMoveEvent>
#include <QResizeEvent>

namespace pellacor::app {

SettingsWindowFrame::SettingsWindowFrame(QWidget* parent) : QWidget(parent) {
    // Kept for the whole run, and closing it never ends the program.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
}

void SettingsWindowFrame::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // Qt asks a hidden window too when the program closes everything: only
    // a window on screen is being closed.
    if (event->isAccepted() && isVisible() && onClose) {
        onClose();
    }
}

void SettingsWindowFrame::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A spontaneous hide is the window system minimising it: still open.
    if (onHidden && !event->spontaneous()) {
        onHidden();
    }
}

void SettingsWindowFrame::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (onGeometryChange) {
        onGeometryChange();
    }
}

void SettingsWindowFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onGeometryChange) {
        onGeometryChange();
    }
}

} // namespace pellacor::app
