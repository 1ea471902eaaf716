#include "Trayvane/Windows/ListedPanel.h"

namespace pellacor::app {

ListedPanel::ListedPanel(std::shared_ptr<platform::ProgramWindows> programWindows,
                         std::shared_ptr<platform::Screens> screens, std::int64_t level)
    : programWindows_(std::move(programWindows)), screens_(std::move(screens)), level_(level) {}

ListedPanel::~ListedPanel() {
    withdraw();
}

void ListedPanel::list(const core::Rect& frame) {
    if (!programWindows_ || !screens_) {
        return;
    }
    const auto screens = screens_->screens();
    if (screens.empty()) {
        return;
    }
    // The window list measures from the first screen's top.
    const core::Rect topDown = core::convertScreenSpace(frame, screens.front().frame);
    if (number_) {
        programWindows_->windowMoved(*number_, topDown);
    } else {
        number_ = programWindows_->windowOpened(level_, topDown);
    }
}

void ListedPanel::withdraw() {
    if (number_ && programWindows_) {
        programWindows_->windowClosed(*number_);
    }
    number_.reset();
}

} // namespace pellacor::app
