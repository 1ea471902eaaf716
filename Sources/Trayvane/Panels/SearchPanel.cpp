#include "Trayvane/Panels/SearchPanel.h"

#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>

namespace pellacor::app {

SearchPanel::SearchPanel() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("search:panel");
    setAccessibleName("search:panel");
    setAttribute(Qt::WA_TranslucentBackground);
    // Kept for the whole run: closing only hides it.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void SearchPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (onCancel) {
        onCancel();
    }
    event->accept();
}

void SearchPanel::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCancel) {
        onCancel();
    }
}

void SearchPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && onResignKey) {
        onResignKey();
    }
}

} // namespace pellacor::app
