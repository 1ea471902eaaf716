#include "Trayvane/Panels/BelowBarController.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Panels/BelowBarPlacement.h"
#include "Trayvane/Panels/BelowBarView.h"

namespace pellacor::app {

using platform::GlobalEventMonitor;

BelowBarController::BelowBarController(Services services)
    : services_(std::move(services)),
      listed_(services_.programWindows, services_.screens, BelowBarPanel::level) {
    if (!services_.place) {
        services_.place = FloatingPanel::onScreen;
    }
}

BelowBarController::~BelowBarController() {
    stopWatchingOutside();
}

std::vector<std::string> BelowBarController::bundleIDs() const {
    std::vector<std::string> result;
    result.reserve(entries_.size());
    for (const auto& entry : entries_) {
        result.push_back(entry.bundleID);
    }
    return result;
}

void BelowBarController::show(std::vector<core::BelowBarEntry> entries, std::optional<core::Rect> anchor) {
    entries_ = std::move(entries);
    if (services_.icons) {
        services_.icons->prefetch(bundleIDs());
    }
    if (!panel_) {
        makePanel();
    }
    anchor_ = anchor;
    const core::Point mouse = services_.input ? services_.input->mouseLocation() : core::Point{};
    screen_ = BelowBarPlacement::screenUnder(mouse, services_.screens ? services_.screens->screens()
                                                                      : std::vector<platform::Screen>{});
    layout();
    panel_->show();
    panel_->raise();
    isOpen_ = true;
    announce();
    startWatchingOutside();
    core::Log::app().info("下の段の窓を出しました（{} 個・位置 {}）", entries_.size(),
                          frame_ ? frame_->description() : core::Rect::null().description());
}

void BelowBarController::update(std::vector<core::BelowBarEntry> entries) {
    if (!isOpen_ || entries == entries_) {
        return;
    }
    entries_ = std::move(entries);
    if (services_.icons) {
        services_.icons->prefetch(bundleIDs());
    }
    layout();
    announce();
}

void BelowBarController::close() {
    stopWatchingOutside();
    isOpen_ = false;
    if (panel_) {
        panel_->hide();
    }
    listed_.withdraw();
}

void BelowBarController::closeByUser() {
    if (!isOpen_) {
        return; // a second Escape or click calls nobody
    }
    stopWatchingOutside();
    isOpen_ = false;
    panel_->hide();
    listed_.withdraw();
    if (onClosedByUser) {
        onClosedByUser();
    }
}

void BelowBarController::makePanel() {
    panel_ = std::make_unique<BelowBarPanel>();
    view_ = new BelowBarView(services_.icons, services_.name, cellFrames_, panel_.get());
    view_->onPress = [this](const core::BelowBarEntry& entry) {
        if (onPress) {
            onPress(entry);
        }
    };
    view_->move(0, 0);
    panel_->onCancel = [this] { closeByUser(); };
}

void BelowBarController::layout() {
    if (!panel_ || view_ == nullptr) {
        return;
    }
    view_->setEntries(entries_);
    const QSize fitting = view_->sizeHint();
    std::vector<platform::Screen> screens =
        services_.screens ? services_.screens->screens() : std::vector<platform::Screen>{};
    std::optional<platform::Screen> screen = screen_;
    if (!screen && !screens.empty()) {
        screen = screens.front();
    }
    if (!screen) {
        return; // no screen at all: the panel keeps its frame
    }
    const double thickness = services_.statusBar ? services_.statusBar->thickness() : 0;
    frame_ = BelowBarPlacement::frame(
        {static_cast<double>(fitting.width()), static_cast<double>(fitting.height())}, *screen, thickness,
        anchor_);
    // Screen coordinates are measured from the first screen's bottom; the real
    // screen's from its top.
    const core::Rect first = screens.empty() ? screen->frame : screens.front().frame;
    const core::Rect topDown = core::convertScreenSpace(*frame_, first);
    const QPoint at = services_.place({topDown.minX(), topDown.minY()});
    // The panel is exactly the view's ideal size.
    panel_->setFixedSize(fitting);
    panel_->move(at);
    panel_->update();
}

void BelowBarController::announce() {
    if (frame_) {
        listed_.list(*frame_);
    }
}

void BelowBarController::startWatchingOutside() {
    stopWatchingOutside();
    if (!services_.monitor) {
        return;
    }
    const GlobalEventMonitor::MonitorId mouse = services_.monitor->addGlobalMonitor(
        GlobalEventMonitor::mouseDownMask, [this](const GlobalEventMonitor::Event& event) {
            const std::uint64_t flags =
                event.modifierFlags | (services_.input ? services_.input->modifierFlags() : 0);
            const core::Point pointer = services_.input ? services_.input->mouseLocation() : event.location;
            const std::optional<core::Rect> control = controlFrame ? controlFrame() : std::nullopt;
            if (BelowBarModel::mouseDownCloses(event.kind, flags, pointer, control)) {
                closeByUser();
            }
        });
    const GlobalEventMonitor::MonitorId keys =
        services_.monitor->addGlobalMonitor(GlobalEventMonitor::mask(GlobalEventMonitor::EventKind::keyDown),
                                            [this](const GlobalEventMonitor::Event& event) {
                                                if (BelowBarModel::keyDownCloses(event.keyCode)) {
                                                    closeByUser();
                                                }
                                            });
    // A monitor the system refused is left out.
    for (const auto id : {mouse, keys}) {
        if (id != 0) {
            monitors_.push_back(id);
        }
    }
}

void BelowBarController::stopWatchingOutside() {
    if (services_.monitor) {
        for (const auto id : monitors_) {
            services_.monitor->removeMonitor(id);
        }
    }
    monitors_.clear();
}

} // namespace pellacor::app
