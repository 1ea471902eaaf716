#include "Trayvane/Help/SupportWindowFrame.h"

#include <QHideEvent>

namespace pellacor::app {

SupportWindowFrame::SupportWindowFrame(QWidget* parent) : QWidget(parent) {
    // Closing only hides it, and neither window is what ends the program.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
}

void SupportWindowFrame::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A spontaneous hide is the window system minimising it: still open.
    if (onHidden && !event->spontaneous()) {
        onHidden();
    }
}

} // namespace pellacor::app
