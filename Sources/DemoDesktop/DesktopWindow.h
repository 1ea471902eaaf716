#pragma once

#include "DemoDesktop/ControlsPanel.h"
#include "DemoDesktop/DesktopView.h"

#include <QWidget>
#include <memory>

namespace pellacor::demo {

// The one window of the demo desktop: the desktop view, and the controls panel beside it.
class DesktopWindow final : public QWidget {
    Q_OBJECT

public:
    explicit DesktopWindow(const std::shared_ptr<platform::SimulatedPlatform>& platform,
                           QWidget* parent = nullptr);

    DesktopView& view() { return *view_; }
    ControlsPanel& controls() { return *controls_; }

signals:
    // The person closed the window: the desktop, and whatever runs on it, ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    DesktopView* view_;
    ControlsPanel* controls_;
};

} // namespace pellacor::demo
