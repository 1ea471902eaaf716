#include "Support/ComposedDesktop.h"

#include "MenuBarCore/Planning/DragSorting.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarSystem/Support/MainQueue.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

namespace pellacor::testing {

using coordinator::Coordinator;

namespace {

platform::Scenario onDisk(platform::Scenario scenario, const TempDir& folder) {
    scenario.home.folder = folder / "home";
    scenario.home.menuBarContainerGranted = true;
    scenario.root = folder / "disk";
    std::filesystem::create_directories(scenario.home.folder);
    return scenario;
}

// The control item's answer whether it is on the bar, as the shell gives it:
// unknown until the bar has drawn it once, then whether it still does.
std::function<std::optional<bool>()> onBarAnswer(std::shared_ptr<platform::StatusItem> item) {
    auto seen = std::make_shared<bool>(false);
    return [weak = std::weak_ptr<platform::StatusItem>(item), seen]() -> std::optional<bool> {
        const auto control = weak.lock();
        if (!control || !control->buttonWindow()) {
            return std::nullopt;
        }
        if (control->replicaWindowCount() >= 1) {
            *seen = true;
            return true;
        }
        return *seen ? std::optional<bool>(false) : std::nullopt;
    };
}

} // namespace

ComposedDesktop::ComposedDesktop(concurrency::ManualExecutor& executor, Options options)
    : executor(executor), switches(options.switches) {
    simulated = std::make_unique<platform::SimulatedPlatform>(onDisk(std::move(options.scenario), folder));
    simulated->setMainQueue(std::make_shared<system::MainQueue>(executor));
    desktop = simulated->desktop();
    time = std::make_unique<DesktopTime>(executor, clock, *simulated, calls);
    std::filesystem::create_directories(desktop->ownBundlePath());

    controlItem = simulated->statusBar()->statusItem(platform::StatusItem::squareLength);
    controlItem->setAccessibilityIdentifier(std::string(core::DragSorting::dividerIdentifier));

    std::weak_ptr<platform::StatusItem> control = controlItem;
    auto queues = app::CoordinatorComposition::Queues::make();
    queues.dragWatcher = clock;
    auto presserRuns = trackedRuns(queues.presser, calls);
    app::CoordinatorComposition::Inputs inputs{
        .platform = simulated->services(),
        .selfBundleID = std::string(selfID),
        .profile =
            options.profile ? std::move(*options.profile) : *core::StoredState::initial().activeProfile(),
        .bundleURL = desktop->ownBundlePath(),
        .applicationsFolder = desktop->applicationsFolder(),
        .controlFrame = [control]() -> std::optional<core::Rect> {
            const auto item = control.lock();
            const auto window = item ? item->buttonWindow() : std::nullopt;
            return window ? std::optional<core::Rect>(window->frame) : std::nullopt;
        },
        .ownItemPlaced =
            [control] {
                const auto item = control.lock();
                return item && item->buttonWindow().has_value();
            },
        .ownItemOnBar = onBarAnswer(controlItem),
        .queues = std::move(queues),
        .presserRuns = std::move(presserRuns),
        .watchdog = std::move(options.watchdog),
        .startWatchdog = options.startWatchdog,
    };
    composition = std::make_unique<app::CoordinatorComposition>(executor, std::move(inputs));

    auto& services = composition->services;
    services.reader = std::make_shared<TrackedItemReader>(services.reader, calls);
    services.reorderer = std::make_shared<TrackedItemReorderer>(services.reorderer, calls);
    services.hover = std::make_shared<TrackedHoverSensor>(services.hover, calls);
}

ComposedDesktop::~ComposedDesktop() {
    settle();
}

std::shared_ptr<Coordinator> ComposedDesktop::makeCoordinator() {
    auto made = composition->makeCoordinator();
    if (made) {
        made->hoverRevealEnabled = switches.hoverReveal;
        made->belowBarEnabled = switches.belowBar;
        made->userSwitcherStandInEnabled = switches.userSwitcherStandIn;
        made->dragSortEnabled = switches.dragSort;
        made->notchOverflowEnabled = switches.notchOverflow;
    }
    return made;
}

std::vector<platform::PlacedStatusItem> ComposedDesktop::bar() const {
    return desktop->menuBarItems();
}

bool ComposedDesktop::onBar(const std::string& bundleID) const {
    const auto placed = bar();
    return std::any_of(placed.begin(), placed.end(), [&](const platform::PlacedStatusItem& item) {
        return item.ownerBundleIdentifier == bundleID;
    });
}

} // namespace pellacor::testing
