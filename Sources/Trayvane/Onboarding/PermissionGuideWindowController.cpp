#include "Trayvane/Onboarding/PermissionGuideWindowController.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <cmath>

namespace pellacor::app {

namespace {

QPoint rounded(const core::Point& point) {
    return {static_cast<int>(std::lround(point.x)), static_cast<int>(std::lround(point.y))};
}

} // namespace

PermissionGuideWindowController::PermissionGuideWindowController(
    std::shared_ptr<platform::Screens> screens, std::shared_ptr<platform::InputState> input,
    ScreenMapping mapping, std::shared_ptr<platform::ProgramWindows> programWindows)
    : screens_(std::move(screens)), input_(std::move(input)),
      mapping_(mapping ? std::move(mapping) : ScreenMapping(rounded)),
      programWindows_(std::move(programWindows)) {}

PermissionGuideWindowController::~PermissionGuideWindowController() {
    if (window_) {
        window_->onHidden = nullptr;
    }
    if (listed_ && programWindows_) {
        programWindows_->windowClosed(*listed_);
    }
}

std::optional<core::Point>
PermissionGuideWindowController::placement(const std::vector<platform::Screen>& screens, core::Point pointer,
                                           core::Size size) {
    const auto topDown = AuxiliaryWindowPlacement::permissionGuide().frame(screens, pointer, size);
    if (!topDown) {
        return std::nullopt;
    }
    // Back to the screens' own upward coordinates: the flip is its own inverse.
    return core::convertScreenSpace(*topDown, screens.front().frame).origin;
}

void PermissionGuideWindowController::show() {
    if (!window_) {
        window_ = std::make_unique<PermissionGuideView>(model_);
        window_->setWindowTitle(QStringLiteral("Pellacor"));
        // Titled and closable only: no resizing (the size is fixed), no minimising.
        window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint);
        // Closing only hides it, and the guide is never what ends the program.
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        window_->setAttribute(Qt::WA_QuitOnClose, false);
        window_->onHidden = [this] { windowHidden(); };
    }
    const bool wasVisible = window_->isVisible();
    if (!wasVisible) {
        place();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (!wasVisible && programWindows_ && !listed_) {
        const auto first = screens_ ? screens_->screens() : std::vector<platform::Screen>{};
        const core::Rect frame = frame_.value_or(core::Rect(0, 0, window_->width(), window_->height()));
        const core::Rect bounds =
            first.empty() ? frame : core::convertScreenSpace(frame, first.front().frame);
        listed_ = programWindows_->windowOpened(0, bounds);
    }
    core::Log::app().info("許可の案内を出しました");
}

void PermissionGuideWindowController::close() {
    if (!window_ || !window_->isVisible()) {
        return;
    }
    window_->close();
    core::Log::app().info("許可の案内を閉じました");
}

void PermissionGuideWindowController::place() {
    if (!screens_) {
        return;
    }
    const auto screens = screens_->screens();
    const core::Size size{static_cast<double>(window_->width()), static_cast<double>(window_->height())};
    const core::Point pointer = input_ ? input_->mouseLocation() : core::Point{};
    const auto topDown = AuxiliaryWindowPlacement::permissionGuide().frame(screens, pointer, size);
    if (!topDown) {
        return;
    }
    frame_ = core::convertScreenSpace(*topDown, screens.front().frame);
    window_->move(mapping_(topDown->origin));
}

void PermissionGuideWindowController::windowHidden() {
    if (listed_ && programWindows_) {
        programWindows_->windowClosed(*listed_);
    }
    listed_.reset();
}

} // namespace pellacor::app
