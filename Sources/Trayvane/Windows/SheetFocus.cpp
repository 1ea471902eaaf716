#include "Trayvane/Windows/SheetFocus.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace pellacor::app {

void returnFocusOnClose(QDialog& sheet) {
    QWidget* owner = sheet.parentWidget();
    if (owner == nullptr) {
        return;
    }
    const QPointer<QWidget> window = owner->window();
    QPointer<QWidget> opener = QApplication::focusWidget();
    if (opener && opener->window() != window) {
        opener = nullptr;
    }
    QObject::connect(&sheet, &QDialog::finished, window, [window, opener] {
        if (!window || !window->isVisible()) {
            return;
        }
        window->activateWindow();
        if (opener && opener->isVisible() && opener->isEnabled()) {
            opener->setFocus(Qt::OtherFocusReason);
        }
    });
}

} // namespace pellacor::app
