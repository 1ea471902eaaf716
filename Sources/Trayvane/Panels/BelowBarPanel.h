#pragma once

#include <QWidget>
#include <functional>

namespace pellacor::app {

// The below-bar panel's window: borderless, floating above other windows at
// the status-window level, shown without taking the focus from the frontmost
// application. Escape in it cancels. Its accessibility identifier is
// "belowbar:panel".
class BelowBarPanel final : public QWidget {
    Q_OBJECT

public:
    // The window level of status windows, where the panel floats.
    static constexpr int level = 25;

    BelowBarPanel();

    std::function<void()> onCancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace pellacor::app
