#include "Trayvane/Windows/AuxiliaryWindowFrame.h"

#include <QHideEvent>

namespace pellacor::app {

AuxiliaryWindowFrame::AuxiliaryWindowFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
}

void AuxiliaryWindowFrame::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A spontaneous hide is the window system minimising it: still open.
    if (onHidden && !event->spontaneous()) {
        onHidden();
    }
}

} // namespace pellacor::app
