#pragma once

#include <QWidget>
#include <functional>

namespace pellacor::app {

// The settings window's top-level widget. Closing it only hides it; it tells
// when it is closed (its close button, the close command, the program) and
// when it leaves the screen, a minimise excepted, and when it moves or
// changes size.
class SettingsWindowFrame final : public QWidget {
    Q_OBJECT

public:
    explicit SettingsWindowFrame(QWidget* parent = nullptr);

    std::function<void()> onClose;
    std::function<void()> onHidden;
    std::function<void()> onGeometryChange;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace pellacor::app
