#include "Trayvane/Onboarding/PermissionGuideWindowController.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"

#include <cmath>

namespace pellacor::app {

namespace {

// Whether the pointer is in the rectangle as the mouse sees it in y-up
// coordinates: the left and top edges belong to it, the right and bottom do not.
bool mouseInRect(core::Point point, const core::Rect& rect) {
    const core::Rect r = rect.standardized();
    return point.x >= r.minX() && point.x < r.maxX() && point.y > r.minY() && point.y <= r.maxY();
}

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
    if (screens.empty()) {
        return std::nullopt;
    }
    const platform::Screen* screen = &screens.front();
    for (const auto& candidate : screens) {
        if (mouseInRect(pointer, candidate.frame)) {
            screen = &candidate;
            break;
        }
    }
    const core::Rect visible = screen->visibleFrame.standardized();
    return core::Point{visible.midX() - size.width / 2, visible.maxY() - size.height - topGap};
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
    const auto origin = placement(screens, pointer, size);
    if (!origin) {
        return;
    }
    frame_ = core::Rect(*origin, size);
    const core::Rect topDown = core::convertScreenSpace(*frame_, screens.front().frame);
    window_->move(mapping_(topDown.origin));
}

void PermissionGuideWindowController::windowHidden() {
    if (listed_ && programWindows_) {
        programWindows_->windowClosed(*listed_);
    }
    listed_.reset();
}

} // namespace pellacor::app
