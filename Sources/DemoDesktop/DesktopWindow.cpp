#include "DemoDesktop/DesktopWindow.h"

#include "DemoDesktop/DesktopAppearance.h"

#include <QCloseEvent>
#include <QHBoxLayout>

namespace pellacor::demo {

DesktopWindow::DesktopWindow(const std::shared_ptr<platform::SimulatedPlatform>& platform, QWidget* parent)
    : QWidget(parent), view_(new DesktopView(platform, this)), controls_(new ControlsPanel(platform, this)) {
    setObjectName("desktop-window");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_->setFixedSize(view_->sizeHint());
    layout->addWidget(view_);
    layout->addWidget(controls_);
    // The switch stands for the system's: the desktop and every program on it change.
    connect(controls_, &ControlsPanel::darkAppearanceChanged, this, [this](bool dark) {
        view_->setDarkAppearance(dark);
        DesktopAppearance::apply(dark);
    });
    // The panel's switches and the view's size follow the desktop (a quit from
    // elsewhere, a screen change).
    connect(view_, &DesktopView::refreshed, this, [this] {
        controls_->refresh();
        view_->setFixedSize(view_->sizeHint());
    });
}

void DesktopWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit closed();
    }
}

} // namespace pellacor::demo
