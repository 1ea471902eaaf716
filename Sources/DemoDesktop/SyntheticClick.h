#pragma once

#include <QPointF>
#include <Qt>

class QWidget;

namespace pellacor::demo {

// A click made in code rather than by a hand: one button pressed and released
// at one point of the widget (in its own coordinates), both sent straight to
// it. The screenshot tool and the widget tests drive the view and the panels
// with it, without a window system's pointer.
void sendClick(QWidget& widget, QPointF at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace pellacor::demo
