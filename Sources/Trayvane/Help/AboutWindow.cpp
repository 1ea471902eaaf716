#include "Trayvane/Help/AboutWindow.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Help/AboutView.h"
#include "Trayvane/Help/SupportWindowFrame.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"
#include "Trayvane/Windows/ListedPanel.h"

#include <QVBoxLayout>
#include <QWidget>
#include <cmath>
#include <utility>

namespace pellacor::app {

AboutWindow::AboutWindow(Services services) : services_(std::move(services).withDefaultPlacement()) {
    if (services_.programWindows) {
        listed_ = std::make_unique<ListedPanel>(services_.programWindows, services_.screens, 0);
    }
}

AboutWindow::~AboutWindow() {
    if (window_) {
        window_->onHidden = nullptr;
    }
}

QWidget* AboutWindow::window() const {
    return window_.get();
}

std::string AboutWindow::versionLine() {
    return AppInfo::versionLine(AppInfo::version(), AppInfo::build(), true);
}

void AboutWindow::show() {
    if (!window_) {
        build();
    }
    if (!window_->isVisible()) {
        place();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    core::Log::app().info("「Pellacor について」の窓を開きました");
}

void AboutWindow::close() {
    if (window_ && window_->isVisible()) {
        window_->close();
    }
}

void AboutWindow::build() {
    window_ = std::make_unique<SupportWindowFrame>();
    window_->setObjectName(QStringLiteral("about"));
    window_->onHidden = [this] {
        if (listed_) {
            listed_->withdraw();
        }
    };
    window_->setWindowTitle(QString::fromStdString(core::localized("Pellacor について")));
    // Titled and closable only: the size is the content's, and it is too
    // small a window to minimise.
    window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint);
    view_ = new AboutView(versionLine(), window_.get());
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    window_->setFixedSize(view_->sizeHint().expandedTo(view_->minimumSize()));
}

void AboutWindow::place() {
    services_.placeWindow(*window_, AuxiliaryWindowPlacement::about(), listed_.get());
}

} // namespace pellacor::app
