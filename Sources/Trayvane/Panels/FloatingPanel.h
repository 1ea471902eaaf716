#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <QPoint>
#include <QWidget>
#include <functional>

namespace pellacor::app {

// A panel window of the program: borderless, transparent (what it holds
// draws the visible card), floating above ordinary windows, kept for the
// whole run (closing only hides it). Escape that reaches it calls `onCancel`.
class FloatingPanel : public QWidget {
    Q_OBJECT

public:
    std::function<void()> onCancel;

    // Where a top-down point of the screens lies on the real screen when the
    // desktop maps them one to one: the point itself, rounded.
    static QPoint onScreen(core::Point topDown);

protected:
    // `identifier` is its accessibility identifier (and object name).
    explicit FloatingPanel(const char* identifier);

    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace pellacor::app
