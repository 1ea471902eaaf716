#include "Trayvane/Panels/BelowBarPanel.h"

#include <QKeyEvent>

namespace pellacor::app {

BelowBarPanel::BelowBarPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("belowbar:panel");
    setAccessibleName("belowbar:panel");
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Kept for the whole run: closing only hides it.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void BelowBarPanel::keyPressEvent(QKeyEvent* event) {
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
