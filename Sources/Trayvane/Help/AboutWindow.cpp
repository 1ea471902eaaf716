#include "Trayvane/Help/AboutWindow.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/App/AppInfo.h"
#include "Trayvane/Help/AboutView.h"

#include <QVBoxLayout>
#include <QWidget>
#include <utility>

namespace pellacor::app {

AboutWindow::AboutWindow(Services services) : services_(std::move(services)) {}

AboutWindow::~AboutWindow() = default;

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
    window_ = std::make_unique<QWidget>();
    window_->setObjectName(QStringLiteral("about"));
    window_->setWindowTitle(QString::fromStdString(core::localized("Pellacor について")));
    // Titled and closable only: the size is the content's, and it is too
    // small a window to minimise.
    window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint);
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    window_->setAttribute(Qt::WA_QuitOnClose, false);
    view_ = new AboutView(versionLine(), window_.get());
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    window_->setFixedSize(view_->sizeHint().expandedTo(view_->minimumSize()));
}

void AboutWindow::place() {
    // Placed by the shared rule for the program's auxiliary windows.
}

} // namespace pellacor::app
