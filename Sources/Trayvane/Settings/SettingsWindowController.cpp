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
      general_(std::move(general)), services_(std::move(services)) {
    services_.windows = std::move(services_.windows).withDefaultPlacement();
    if (!services_.now) {
        services_.now = [executor = services_.executor] { return executor->now(); };
    }
    if (services_.windows.programWindows) {
        listed_ =
            std::make_unique<ListedPanel>(services_.windows.programWindows, services_.windows.screens, 0);
    }
}

SettingsWindowController::~SettingsWindowController() {
    if (refreshTimer_) {
        services_.executor->cancelTimer(*refreshTimer_);
    }
    if (window_) {
        window_->onClose = nullptr;
        window_->onHidden = nullptr;
        window_->onGeometryChange = nullptr;
    }
}

QWidget* SettingsWindowController::window() const {
    return window_.get();
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
    const bool reused = window_ != nullptr;
    const core::Log log = core::Log::app();
    log.info("設定の窓を出します");
    if (onShow) {
        onShow();
    }
    if (!window_) {
        makeWindow();
    }
    const concurrency::Duration making = services_.now() - t0;
    if (!window_->isVisible()) {
        place();
    }
    // Activating the program is showing its window and asking for the focus;
    // a minimised window comes back as it was.
    if (window_->isMinimized()) {
        window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    }
    window_->show();
    const concurrency::Duration front = services_.now() - t0;
    window_->raise();
    window_->activateWindow();
    startRefreshing();
    log.info("設定の窓：作る {}・前に出す {}", milliseconds(making), milliseconds(front));
    log.info("設定の窓を開きました（{}・{}）", reused ? "作り直さずに" : "作って",
             milliseconds(services_.now() - t0));
}

void SettingsWindowController::close() {
    if (window_ && window_->isVisible()) {
        window_->close();
    }
}

void SettingsWindowController::windowWillClose() {
    if (refreshTimer_) {
        services_.executor->cancelTimer(*refreshTimer_);
        refreshTimer_.reset();
    }
    core::Log::app().info("設定の窓を閉じました");
}

bool SettingsWindowController::isSeen() const {
    if (!window_ || !window_->isVisible() || window_->isMinimized()) {
        return false;
    }
    const QWindow* handle = window_->windowHandle();
    return handle != nullptr && handle->isExposed();
}

void SettingsWindowController::makeWindow() {
    window_ = std::make_unique<SettingsWindowFrame>();
    window_->setObjectName(QStringLiteral("settings"));
    window_->setWindowTitle(qtText(core::localized("Pellacor の設定")));
    // Titled, closable, minimisable and resizable.
    window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                            Qt::WindowMaximizeButtonHint);
    root_ = new SettingsRootView(*model_, *profiles_, *rules_, *general_, navigation_, services_.pages,
                                 window_.get());
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(root_);
    // The window's size is its own: the pages scroll inside it.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    window_->setMinimumSize(SettingsRootView::minimumWidth, SettingsRootView::minimumHeight);
    window_->resize(contentWidth, contentHeight);
    const std::weak_ptr<SettingsWindowController> weak = weak_from_this();
    window_->onClose = [weak] {
        if (const auto self = weak.lock()) {
            self->windowWillClose();
        }
    };
    window_->onGeometryChange = [weak] {
        if (const auto self = weak.lock()) {
            self->relist();
        }
    };
    window_->onHidden = [weak] {
        if (const auto self = weak.lock(); self && self->listed_) {
            self->listed_->withdraw();
        }
    };
}

void SettingsWindowController::place() {
    // Only the height is clamped to the visible area, and only when the
    // window would not fit; a window on screen is never moved.
    services_.windows.placeWindow(*window_, AuxiliaryWindowPlacement::settings(), listed_.get(), true);
}

void SettingsWindowController::relist() {
    if (!listed_ || !listed_->isListed() || !window_->isVisible() || !services_.windows.screens) {
        return;
    }
    const auto screens = services_.windows.screens->screens();
    if (screens.empty()) {
        return;
    }
    // The desktop's points lie on the real screen by a shift alone.
    const QPoint origin = services_.windows.place(core::Point{0, 0});
    const QPoint at = window_->pos() - origin;
    const core::Rect topDown(at.x(), at.y(), window_->width(), window_->height());
    listed_->list(core::convertScreenSpace(topDown, screens.front().frame));
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
    if (!window_ || !isSeen()) {
        return;
    }
    if (onRefresh) {
        onRefresh();
    }
}

} // namespace pellacor::app
