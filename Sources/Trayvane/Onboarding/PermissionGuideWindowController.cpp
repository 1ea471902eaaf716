#include "Trayvane/Onboarding/PermissionGuideWindowController.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <utility>

namespace pellacor::app {

PermissionGuideWindowController::PermissionGuideWindowController(
    std::shared_ptr<platform::Screens> screens, std::shared_ptr<platform::InputState> input,
    ScreenMapping mapping, std::shared_ptr<platform::ProgramWindows> programWindows)
    : window_(AuxiliaryWindowServices{std::move(screens), std::move(input), std::move(mapping),
                                      std::move(programWindows)},
              AuxiliaryWindowPlacement::permissionGuide()) {}

PermissionGuideWindowController::~PermissionGuideWindowController() = default;

PermissionGuideView* PermissionGuideWindowController::window() const {
    return window_.frame<PermissionGuideView>();
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
    if (!window_.isBuilt()) {
        build();
    }
    window_.present();
    core::Log::app().info("許可の案内を出しました");
}

void PermissionGuideWindowController::close() {
    if (window_.close()) {
        core::Log::app().info("許可の案内を閉じました");
    }
}

void PermissionGuideWindowController::build() {
    auto& view = window_.build<PermissionGuideView>(model_);
    view.setWindowTitle(QStringLiteral("Pellacor"));
    // Titled and closable only: no resizing (the size is fixed), no minimising.
    view.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint);
}

} // namespace pellacor::app
