#include "DemoDesktop/SyntheticClick.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace pellacor::demo {

void sendClick(QWidget& widget, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const QPointF global = widget.mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, modifiers);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, modifiers);
    QApplication::sendEvent(&widget, &release);
}

} // namespace pellacor::demo
