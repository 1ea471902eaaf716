#include "Trayvane/Panels/FloatingPanel.h"

#include <QKeyEvent>
#include <cmath>

namespace pellacor::app {

FloatingPanel::FloatingPanel(const char* identifier)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(identifier);
    setAccessibleName(identifier);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

QPoint FloatingPanel::onScreen(core::Point topDown) {
    return {static_cast<int>(std::lround(topDown.x)), static_cast<int>(std::lround(topDown.y))};
}

void FloatingPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (onCancel) {
        onCancel();
    }
    event->accept();
}

} // namespace pellacor::app
