#include "Trayvane/App/PanelsComponent.h"

#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Planning/SearchCandidate.h"
#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/App/SharedServices.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Onboarding/SystemPlaces.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Panels/SearchModel.h"
#include "Trayvane/Panels/SearchWindow.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <chrono>
#include <cmath>
#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;
using coordinator::PressSource;

namespace {

// Within this long after launch a permission that cannot be read yet may
// still be the system starting up: the guide waits a little before showing.
constexpr double permissionGraceWindowSeconds = 60;
constexpr concurrency::Duration permissionGraceDelay = std::chrono::seconds(8);

std::optional<core::Rect> controlItemFrame(const std::weak_ptr<ControlItem>& control) {
    const auto item = control.lock();
    return item ? item->buttonFrame() : std::nullopt;
}

} // namespace

std::shared_ptr<PanelsComponent> PanelsComponent::create(const ProgramEnvironment& environment,
                                                         const SharedServices& services,
                                                         const std::shared_ptr<Coordinator>& coordinator,
                                                         const std::weak_ptr<ControlItem>& control,
                                                         double launchedAt) {
    auto component =
        std::shared_ptr<PanelsComponent>(new PanelsComponent(environment, services, coordinator, launchedAt));
    component->wireBelowBar(control);
    component->wireSearch();
    component->wireGuide(services.places);
    return component;
}

PanelsComponent::PanelsComponent(const ProgramEnvironment& environment, const SharedServices& services,
                                 const std::shared_ptr<Coordinator>& coordinator, double launchedAt)
    : executor_(environment.executor), sleep_(environment.sleep),
      launchPreferences_(services.launchPreferences), launchedAt_(launchedAt), coordinator_(coordinator) {
    const auto& platform = environment.platform;
    permissionGuide_ = std::make_unique<PermissionGuideWindowController>(
        platform.screens, platform.inputState,
        [place = environment.place](const core::Point& topDown) { return place(topDown); },
        platform.programWindows);
    belowBar_ = std::make_unique<BelowBarController>(BelowBarController::Services{
        .screens = platform.screens,
        .input = platform.inputState,
        .statusBar = platform.statusBar,
        .monitor = platform.globalEventMonitor,
        .programWindows = platform.programWindows,
        .icons = services.icons,
        .name = services.nameOf(),
        .place = environment.place,
    });
    search_ = std::make_unique<SearchController>(std::make_shared<SearchModel>(services.nameOf()),
                                                 std::make_shared<SearchWindow>(SearchWindow::Services{
                                                     .screens = platform.screens,
                                                     .input = platform.inputState,
                                                     .programWindows = platform.programWindows,
                                                     .icons = services.icons,
                                                     .place = environment.place,
                                                 }),
                                                 services.icons);
}

PanelsComponent::~PanelsComponent() = default;

// The below-bar panel presses through the coordinator and tells it when the
// user closed it; the coordinator asks whether it is on screen, opens it at
// the control item with fresh entries, closes it, and has it follow the
// notch's overflow.
void PanelsComponent::wireBelowBar(const std::weak_ptr<ControlItem>& control) {
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    belowBar_->onPress = [weakCoordinator, executor = executor_](const core::BelowBarEntry& entry) {
        concurrency::spawn(*executor, pressFromPanel(weakCoordinator, entry, PressSource::belowBar),
                           "below-bar press");
    };
    belowBar_->onClosedByUser =
        whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.belowBarDidClose(); });
    belowBar_->controlFrame = [control] { return controlItemFrame(control); };

    const auto coordinator = coordinator_.lock();
    if (!coordinator) {
        return;
    }
    const std::weak_ptr<PanelsComponent> weakSelf = weak_from_this();
    coordinator->belowBarVisible = [weakSelf] {
        const auto self = weakSelf.lock();
        return self && self->belowBar_->panel() != nullptr && self->belowBar_->panel()->isVisible();
    };
    coordinator->onBelowBar = [weakSelf, weakCoordinator, control](bool show) {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        if (!show) {
            self->belowBar_->close();
            return;
        }
        const auto engine = weakCoordinator.lock();
        self->belowBar_->show(engine ? belowBarEntries(*engine) : std::vector<core::BelowBarEntry>{},
                              controlItemFrame(control));
    };
    coordinator->onNotchOverflowChange = whileAlive(
        weakSelf, [](PanelsComponent& self, const std::set<core::AppKey>&) { self.refreshBelowBar(); });
}

// The search panel presses through the coordinator too; opening it closes
// the below-bar panel and reads the items again, and it waits while a press
// is under way.
void PanelsComponent::wireSearch() {
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    search_->onPress = [weakCoordinator, executor = executor_](const core::BelowBarEntry& entry) {
        concurrency::spawn(*executor, pressFromPanel(weakCoordinator, entry, PressSource::search),
                           "search press");
    };
    search_->onOpen = [weakCoordinator] {
        const auto coordinator = weakCoordinator.lock();
        if (coordinator && !coordinator->hasShutDown()) {
            coordinator->setBelowBar(false);
            coordinator->refreshItems();
        }
    };
    search_->isBusy = [weakCoordinator] {
        const auto coordinator = weakCoordinator.lock();
        return coordinator && coordinator->pressingItem();
    };
}

// The guide's buttons other than the relaunch (the delegate's), and the
// coordinator's wait for the permission.
void PanelsComponent::wireGuide(const std::shared_ptr<SystemPlaces>& places) {
    const std::weak_ptr<PanelsComponent> weakSelf = weak_from_this();
    auto& guide = permissionGuide_->model();
    guide.onOpenSettings = whileAlive(std::weak_ptr<SystemPlaces>(places),
                                      [](SystemPlaces& system) { system.openAccessibilitySettings(); });
    guide.onClose = whileAlive(weakSelf, [](PanelsComponent& self) { self.permissionGuide_->close(); });
    if (const auto coordinator = coordinator_.lock()) {
        coordinator->onPermissionWaitChange = whileAlive(
            weakSelf, [](PanelsComponent& self, bool waiting) { self.permissionWaitChanged(waiting); });
    }
}

// -- The panels' lists ----------------------------------------------------------

std::vector<core::BelowBarEntry> PanelsComponent::belowBarEntries(const Coordinator& coordinator) {
    // Applications moved off the bar for the notch show in the panel while the
    // panel or the fold rescue makes use of the notch handling.
    std::set<core::AppKey> overflow;
    if (coordinator.notchOverflowEnabled && (coordinator.belowBarEnabled || coordinator.foldRescueActive())) {
        overflow = coordinator.currentNotchState().hidden();
    }
    return core::BelowBarList::entries(coordinator.pressableItems(), coordinator.currentProfile(),
                                       coordinator.ownBundleID(), overflow);
}

std::vector<core::SearchCandidate> PanelsComponent::searchCandidates(const Coordinator& coordinator) {
    return core::SearchList::candidates(coordinator.pressableItems(), coordinator.currentProfile(),
                                        coordinator.ownBundleID());
}

void PanelsComponent::refresh() {
    refreshBelowBar();
    refreshSearch();
}

void PanelsComponent::refreshBelowBar() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator || !coordinator->belowBarShown()) {
        return;
    }
    belowBar_->update(belowBarEntries(*coordinator));
}

void PanelsComponent::refreshSearch() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator || !search_->isOpen()) {
        return;
    }
    search_->update(searchCandidates(*coordinator));
}

void PanelsComponent::toggleSearch() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator || coordinator->hasShutDown()) {
        return;
    }
    if (search_->isOpen()) {
        search_->close("ホットキー");
        return;
    }
    search_->show(searchCandidates(*coordinator));
}

concurrency::Task<void> PanelsComponent::pressFromPanel(std::weak_ptr<Coordinator> weak,
                                                        core::BelowBarEntry entry, PressSource source) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    auto press = coordinator->pressItem(std::move(entry), source);
    coordinator.reset();
    [[maybe_unused]] auto outcome = co_await std::move(press);
}

// -- The permission guide --------------------------------------------------------

void PanelsComponent::showPermissionGuide() {
    const auto coordinator = coordinator_.lock();
    permissionGuide_->model().setTrusted(coordinator ? coordinator->trusted() : std::nullopt);
    permissionGuide_->show();
}

bool PanelsComponent::isPermissionGuidePending() const {
    return pendingPermissionGuide_ && !pendingPermissionGuide_.isFinished() &&
           !pendingPermissionGuide_.isCancelled();
}

void PanelsComponent::permissionWaitChanged(bool waiting) {
    pendingPermissionGuide_.cancel();
    pendingPermissionGuide_ = {};
    if (!waiting) {
        permissionGuide_->close();
        return;
    }
    const double elapsed = concurrency::secondsOf(executor_->now()) - launchedAt_;
    // A restriction has worked before: early in the run the permission may
    // only not be readable yet.
    const bool workedBefore = launchPreferences_.defaults.string(DefaultsKey::confirmedOSVersion).has_value();
    if (workedBefore && elapsed >= 0 && elapsed < permissionGraceWindowSeconds) {
        core::Log::app().notice("起動の {} 秒後に許可が読めませんでした。少し待ってから案内を出すか決めます",
                                static_cast<long>(std::trunc(elapsed)));
        pendingPermissionGuide_ = concurrency::spawn(
            *executor_, delayedPermissionGuide(weak_from_this(), sleep_), "permission guide");
        return;
    }
    showPermissionGuide();
}

concurrency::Task<void> PanelsComponent::delayedPermissionGuide(std::weak_ptr<PanelsComponent> weak,
                                                                concurrency::Sleep sleep) {
    co_await sleep(permissionGraceDelay);
    if (concurrency::isCancelled()) {
        co_return;
    }
    const auto self = weak.lock();
    const auto coordinator = self ? self->coordinator_.lock() : nullptr;
    if (!coordinator || coordinator->baseState() != core::MenuBarState::needsPermission) {
        co_return;
    }
    core::Log::app().notice("待っても許可が読めないので、許可の案内を出します");
    self->showPermissionGuide();
}

void PanelsComponent::takeDown() {
    pendingPermissionGuide_.cancel();
    pendingPermissionGuide_ = {};
    search_->close("司令塔");
    permissionGuide_->close();
}

} // namespace pellacor::app
