#include "Trayvane/Help/AboutWindow.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Help/AboutView.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <QVBoxLayout>
#include <QWidget>
#include <cmath>
#include <utility>

namespace pellacor::app {

AboutWindow::AboutWindow(Services services)
    : window_(std::move(services), AuxiliaryWindowPlacement::about()) {}

AboutWindow::~AboutWindow() = default;

std::string AboutWindow::versionLine() {
    return AppInfo::versionLine(AppInfo::version(), AppInfo::build(), true);
}

void AboutWindow::show() {
    if (!window_.isBuilt()) {
        build();
    }
    window_.present();
    core::Log::app().info("「Pellacor について」の窓を開きました");
}

void AboutWindow::close() {
    window_.close();
}

void AboutWindow::build() {
    auto& frame = window_.build<AuxiliaryWindowFrame>();
    frame.setObjectName(QStringLiteral("about"));
    frame.setWindowTitle(QString::fromStdString(core::localized("Pellacor について")));
    // Titled and closable only: the size is the content's, and it is too
    // small a window to minimise.
    frame.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
    view_ = new AboutView(versionLine(), &frame);
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    frame.setFixedSize(view_->sizeHint().expandedTo(view_->minimumSize()));
}

} // namespace pellacor::app
