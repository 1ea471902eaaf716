#include "Trayvane/Panels/SearchWindow.h"

#include "Trayvane/Panels/BelowBarPlacement.h"
#include "Trayvane/Panels/SearchPanel.h"
#include "Trayvane/Panels/SearchView.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace pellacor::app {

SearchWindow::SearchWindow(Services services)
    : services_(std::move(services)),
      listed_(services_.programWindows, services_.screens, SearchPanel::level) {
    if (!services_.place) {
        services_.place = FloatingPanel::onScreen;
    }
}

SearchWindow::~SearchWindow() {
    presenting_ = false;
}

core::Rect SearchWindow::placement(core::Size size, const core::Rect& screen) {
    const double x = std::max(screen.midX() - size.width / 2, screen.minX());
    const double y = std::max(screen.maxY() - 0.2 * screen.height() - size.height, screen.minY());
    return {x, y, size.width, size.height};
}

bool SearchWindow::present(std::shared_ptr<SearchModel> model) {
    if (!panel_) {
        makePanel();
    }
    // The content is built afresh over the model; the previous one goes.
    delete view_;
    view_ = new SearchView(std::move(model), services_.icons, panel_.get());
    view_->move(0, 0);
    const QSize fitting = view_->sizeHint();
    view_->resize(fitting);
    panel_->setFixedSize(fitting);
    place({static_cast<double>(fitting.width()), static_cast<double>(fitting.height())});
    presenting_ = true;
    const bool key = activate();
    announce();
    return key;
}

void SearchWindow::dismiss() {
    // Not presenting first: the loss of the activation that hiding causes reports nothing.
    presenting_ = false;
    if (panel_) {
        panel_->hide();
        // The platform window goes with it (the widget stays), so that no
        // window system keeps it as its focused window: the next showing makes
        // a fresh one, which can become key again.
        if (QWindow* handle = panel_->windowHandle()) {
            handle->destroy();
        }
    }
    listed_.withdraw();
}

std::string SearchWindow::frameDescription() const {
    return frame_.description();
}

void SearchWindow::makePanel() {
    panel_ = std::make_unique<SearchPanel>();
    panel_->onCancel = [this] {
        if (presenting_ && onDismissedByUser) {
            onDismissedByUser("Esc");
        }
    };
    panel_->onResignKey = [this] {
        if (presenting_ && onDismissedByUser) {
            onDismissedByUser("ほかを押した");
        }
    };
}

void SearchWindow::place(core::Size size) {
    const std::vector<platform::Screen> screens =
        services_.screens ? services_.screens->screens() : std::vector<platform::Screen>{};
    const core::Point mouse = services_.input ? services_.input->mouseLocation() : core::Point{};
    const auto screen = BelowBarPlacement::screenUnder(mouse, screens);
    if (!screen) {
        return; // no screen: the panel keeps its frame
    }
    frame_ = placement(size, screen->frame);
    // Screen coordinates are measured from the first screen's bottom; the real
    // screen's from its top.
    const core::Rect topDown = core::convertScreenSpace(frame_, screens.front().frame);
    panel_->move(services_.place({topDown.minX(), topDown.minY()}));
}

bool SearchWindow::activate() {
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
    if (panel_->isActiveWindow()) {
        return true;
    }
    // The window system answers on its own time: its events are handled here
    // (not the user's input) until the panel is active or the wait is over.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(activationWait);
    while (!panel_->isActiveWindow() && deadline.isActive()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
    }
    return panel_->isActiveWindow();
}

void SearchWindow::announce() {
    if (!frame_.isEmpty()) {
        listed_.list(frame_);
    }
}

} // namespace pellacor::app
