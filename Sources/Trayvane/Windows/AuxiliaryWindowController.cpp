#include "Trayvane/Windows/AuxiliaryWindowController.h"

#include "Trayvane/Windows/ListedPanel.h"

#include <utility>

namespace pellacor::app {

AuxiliaryWindowController::AuxiliaryWindowController(AuxiliaryWindowServices services,
                                                     AuxiliaryWindowPlacement placement, bool takeSize)
    : services_(std::move(services).withDefaultPlacement()), placement_(placement), takeSize_(takeSize) {
    if (services_.programWindows) {
        listed_ = std::make_unique<ListedPanel>(services_.programWindows, services_.screens, 0);
    }
}

AuxiliaryWindowController::~AuxiliaryWindowController() {
    // A window destroyed on screen is hidden on its way out: nothing to tell
    // the entry that goes with this.
    if (frame_) {
        frame_->onHidden = nullptr;
    }
}

void AuxiliaryWindowController::adopt(std::unique_ptr<AuxiliaryWindowFrame> frame) {
    frame_ = std::move(frame);
    // The frame is this one's and its callback is cleared before it goes.
    frame_->onHidden = [this] {
        if (listed_) {
            listed_->withdraw();
        }
    };
}

bool AuxiliaryWindowController::isVisible() const {
    return frame_ && frame_->isVisible();
}

void AuxiliaryWindowController::present() {
    if (!frame_->isVisible()) {
        services_.placeWindow(*frame_, placement_, listed_.get(), takeSize_);
    }
    frame_->show();
    frame_->raise();
    frame_->activateWindow();
}

bool AuxiliaryWindowController::close() {
    if (!isVisible()) {
        return false;
    }
    frame_->close();
    return true;
}

} // namespace pellacor::app
