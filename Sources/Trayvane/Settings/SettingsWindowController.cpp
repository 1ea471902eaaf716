#include "Trayvane/Settings/SettingsWindowController.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsWindowFrame.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"
#include "Trayvane/Windows/ListedPanel.h"

#include <QVBoxLayout>
#include <QWindow>
#include <fmt/format.h>
#include <utility>

namespace pellacor::app {

std::shared_ptr<SettingsWindowController>
SettingsWindowController::create(std::shared_ptr<SectionsModel> model,
                                 std::shared_ptr<ProfilesModel> profiles, std::shared_ptr<RulesModel> rules,
                                 std::shared_ptr<GeneralModel> general, Services services) {
    return std::shared_ptr<SettingsWindowController>(new SettingsWindowController(
        std::move(model), std::move(profiles), std::move(rules), std::move(general), std::move(services)));
}

SettingsWindowController::SettingsWindowController(std::shared_ptr<SectionsModel> model,
                                                   std::shared_ptr<ProfilesModel> profiles,
                                                   std::shared_ptr<RulesModel> rules,
                                                   std::shared_ptr<GeneralModel> general, Services services)
    : model_(std::move(model)), profiles_(std::move(profiles)), rules_(std::move(rules)),
      general_(std::move(general)), services_(std::move(services)),
      // Only the height is clamped to the visible area, and only when the
      // window would not fit.
      window_(std::move(services_.windows), AuxiliaryWindowPlacement::settings(), true) {
    if (!services_.now) {
        services_.now = [executor = services_.executor] { return executor->now(); };
    }
}

SettingsWindowController::~SettingsWindowController() {
    if (refreshTimer_) {
        services_.executor->cancelTimer(*refreshTimer_);
    }
    if (auto* frame = this->frame()) {
        frame->onClose = nullptr;
        frame->onGeometryChange = nullptr;
    }
}

SettingsWindowFrame* SettingsWindowController::frame() const {
    return window_.frame<SettingsWindowFrame>();
}

std::string SettingsWindowController::milliseconds(concurrency::Duration duration) {
    return fmt::format("{} ms", std::chrono::round<std::chrono::milliseconds>(duration).count());
}

void SettingsWindowController::show(Page page) {
    navigation_.setPage(page);
    show();
}

void SettingsWindowController::show() {
    const concurrency::Instant t0 = services_.now();
    const bool reused = window_.isBuilt();
    const core::Log log = core::Log::app();
    log.info("設定の窓を出します");
    if (onShow) {
        onShow();
    }
    if (!window_.isBuilt()) {
        makeWindow();
    }
    const concurrency::Duration making = services_.now() - t0;
    // Activating the program is showing its window and asking for the focus;
    // a minimised window comes back as it was (on screen all along, so it
    // stays where it is).
    SettingsWindowFrame& frame = *this->frame();
    if (frame.isMinimized()) {
        frame.setWindowState(frame.windowState() & ~Qt::WindowMinimized);
    }
    window_.present();
    const concurrency::Duration front = services_.now() - t0;
    startRefreshing();
    log.info("設定の窓：作る {}・前に出す {}", milliseconds(making), milliseconds(front));
    log.info("設定の窓を開きました（{}・{}）", reused ? "作り直さずに" : "作って",
             milliseconds(services_.now() - t0));
}

void SettingsWindowController::close() {
    window_.close();
}

void SettingsWindowController::windowWillClose() {
    if (refreshTimer_) {
        services_.executor->cancelTimer(*refreshTimer_);
        refreshTimer_.reset();
    }
    core::Log::app().info("設定の窓を閉じました");
}

bool SettingsWindowController::isSeen() const {
    if (!window_.isVisible() || window_.window()->isMinimized()) {
        return false;
    }
    const QWindow* handle = window_.window()->windowHandle();
    return handle != nullptr && handle->isExposed();
}

void SettingsWindowController::makeWindow() {
    auto& frame = window_.build<SettingsWindowFrame>();
    frame.setObjectName(QStringLiteral("settings"));
    frame.setWindowTitle(qtText(core::localized("Pellacor の設定")));
    // Titled, closable, minimisable and resizable.
    frame.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowMaximizeButtonHint);
    root_ =
        new SettingsRootView(*model_, *profiles_, *rules_, *general_, navigation_, services_.pages, &frame);
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(root_);
    // The window's size is its own: the pages scroll inside it.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    frame.setMinimumSize(SettingsRootView::minimumWidth, SettingsRootView::minimumHeight);
    frame.resize(contentWidth, contentHeight);
    const std::weak_ptr<SettingsWindowController> weak = weak_from_this();
    frame.onClose = [weak] {
        if (const auto self = weak.lock()) {
            self->windowWillClose();
        }
    };
    frame.onGeometryChange = [weak] {
        if (const auto self = weak.lock()) {
            self->relist();
        }
    };
}

void SettingsWindowController::relist() {
    ListedPanel* listed = window_.listed();
    const AuxiliaryWindowServices& windows = window_.services();
    if (listed == nullptr || !listed->isListed() || !window_.isVisible() || !windows.screens) {
        return;
    }
    const auto screens = windows.screens->screens();
    if (screens.empty()) {
        return;
    }
    // The desktop's points lie on the real screen by a shift alone.
    const QPoint origin = windows.place(core::Point{0, 0});
    const QWidget& frame = *window_.window();
    const QPoint at = frame.pos() - origin;
    const core::Rect topDown(at.x(), at.y(), frame.width(), frame.height());
    listed->list(core::convertScreenSpace(topDown, screens.front().frame));
}

void SettingsWindowController::startRefreshing() {
    if (onRefresh) {
        onRefresh();
    }
    if (refreshTimer_) {
        return;
    }
    scheduleTick(services_.executor->now() + refreshInterval);
}

void SettingsWindowController::scheduleTick(concurrency::Instant deadline) {
    const std::weak_ptr<SettingsWindowController> weak = weak_from_this();
    refreshTimer_ = services_.executor->postAt(deadline, [weak, deadline] {
        if (const auto self = weak.lock()) {
            self->tick(deadline);
        }
    });
}

void SettingsWindowController::tick(concurrency::Instant deadline) {
    services_.executor->assertOnExecutorThread();
    // A repeating timer: the next tick keeps the three-second rhythm
    // however long this one takes; ticks missed while the program was held
    // up (the machine asleep) are skipped, not run in a burst.
    const concurrency::Instant now = services_.executor->now();
    const concurrency::Instant next = deadline + refreshInterval;
    scheduleTick(next > now ? next : now + refreshInterval);
    if (!isSeen()) {
        return;
    }
    if (onRefresh) {
        onRefresh();
    }
}

} // namespace pellacor::app
