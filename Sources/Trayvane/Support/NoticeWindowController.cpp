#include "Trayvane/Support/NoticeWindowController.h"

#include "MenuBarCore/Support/ProductInfo.h"
#include "Trayvane/Support/NoticeModel.h"
#include "Trayvane/Support/NoticeView.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace pellacor::app {

NoticeWindowController::NoticeWindowController(std::string identifier, Services services)
    : model_(std::make_shared<NoticeModel>()), identifier_(std::move(identifier)),
      window_(std::move(services), AuxiliaryWindowPlacement::notice()) {}

NoticeWindowController::~NoticeWindowController() = default;

void NoticeWindowController::show() {
    if (!window_.isBuilt()) {
        build();
    }
    window_.present();
}

void NoticeWindowController::build() {
    auto& frame = window_.build<AuxiliaryWindowFrame>();
    frame.setObjectName(QString::fromStdString(identifier_));
    frame.setWindowTitle(QString::fromUtf8(core::ProductInfo::name.data(),
                                           static_cast<qsizetype>(core::ProductInfo::name.size())));
    // Titled and closable only: the size is the content's.
    frame.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new NoticeView(model_, &frame);
    layout->addWidget(view_);
    frame.setFixedSize(NoticeView::width, view_->contentHeight());
}

} // namespace pellacor::app
