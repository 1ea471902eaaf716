#include "Trayvane/Support/NoticeWindowController.h"

#include "MenuBarCore/Support/ProductInfo.h"
#include "Trayvane/Help/SupportWindowFrame.h"
#include "Trayvane/Support/NoticeModel.h"
#include "Trayvane/Support/NoticeView.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"
#include "Trayvane/Windows/ListedPanel.h"

#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace pellacor::app {

NoticeWindowController::NoticeWindowController(std::string identifier, Services services)
    : model_(std::make_shared<NoticeModel>()), identifier_(std::move(identifier)),
      services_(std::move(services).withDefaultPlacement()) {
    if (services_.programWindows) {
        listed_ = std::make_unique<ListedPanel>(services_.programWindows, services_.screens, 0);
    }
}

NoticeWindowController::~NoticeWindowController() {
    if (window_) {
        window_->onHidden = nullptr;
    }
}

QWidget* NoticeWindowController::window() const {
    return window_.get();
}

bool NoticeWindowController::isVisible() const {
    return window_ && window_->isVisible();
}

void NoticeWindowController::show() {
    if (!window_) {
        build();
    }
    if (!window_->isVisible()) {
        place();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void NoticeWindowController::close() {
    if (isVisible()) {
        window_->close();
    }
}

void NoticeWindowController::build() {
    window_ = std::make_unique<SupportWindowFrame>();
    window_->setObjectName(QString::fromStdString(identifier_));
    window_->onHidden = [this] {
        if (listed_) {
            listed_->withdraw();
        }
    };
    window_->setWindowTitle(QString::fromUtf8(core::ProductInfo::name.data(),
                                              static_cast<qsizetype>(core::ProductInfo::name.size())));
    // Titled and closable only: the size is the content's.
    window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new NoticeView(model_, window_.get());
    layout->addWidget(view_);
    window_->setFixedSize(NoticeView::width, view_->contentHeight());
}

void NoticeWindowController::place() {
    services_.placeWindow(*window_, AuxiliaryWindowPlacement::notice(), listed_.get());
}

} // namespace pellacor::app
