#include "Trayvane/Panels/SearchPanel.h"

#include <QCloseEvent>
#include <QEvent>

namespace pellacor::app {

SearchPanel::SearchPanel() : FloatingPanel("search:panel") {}

void SearchPanel::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCancel) {
        onCancel();
    }
}

void SearchPanel::changeEvent(QEvent* event) {
    FloatingPanel::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && onResignKey) {
        onResignKey();
    }
}

} // namespace pellacor::app
