#include "Trayvane/Coordinator/Coordinator.h"

#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Support/Log.h"

#include <utility>

namespace pellacor::coordinator {

using core::MenuBarState;
using namespace std::chrono_literals;

namespace {

// Lines written in the first minutes of a run are progress; later ones are routine.
constexpr concurrency::Duration startUpPeriod = 300s;

} // namespace

bool Coordinator::isWritableState(MenuBarState state) {
    return state == MenuBarState::collapsed || state == MenuBarState::revealed ||
           state == MenuBarState::revealedAll || state == MenuBarState::privacyOverride;
}

bool Coordinator::isShowingState(MenuBarState state) {
    return state == MenuBarState::collapsed || state == MenuBarState::revealed ||
           state == MenuBarState::revealedAll;
}

bool Coordinator::isGoneOrStopped(const std::shared_ptr<Coordinator>& self) {
    return !self || concurrency::isCancelled() || self->isShutDown;
}

std::vector<concurrency::Duration> Coordinator::quickReadDelays() {
    return {300ms, 400ms, 500ms, 800ms, 1000ms, 1500ms};
}

std::vector<concurrency::Duration> Coordinator::standInPlacementDelays() {
    return {0s, 1s, 2s, 3s};
}

std::shared_ptr<Coordinator> Coordinator::create(Services services, Timings timings, Clocks clocks) {
    if (!services.reader || !services.visibility || !services.appWatcher || !services.captureWatcher ||
        !services.health) {
        return nullptr;
    }
    if (clocks.executor == nullptr || !clocks.now || !clocks.sleep || !clocks.revealSleep ||
        !clocks.wallClock) {
        return nullptr;
    }
    // The hidden-bar wait repeats its last delay; without one it would poll without pause.
    if (timings.hiddenBarPollDelays.empty()) {
        return nullptr;
    }
    // The auto-collapse and hover loops step by these; a step of no time would
    // spin on the main executor and never count any time away.
    if (timings.autoCollapseTick <= Duration::zero() || timings.hoverTick <= Duration::zero() ||
        timings.hoverIdleTick <= Duration::zero()) {
        return nullptr;
    }
    return std::shared_ptr<Coordinator>(
        new Coordinator(std::move(services), std::move(timings), std::move(clocks)));
}

Coordinator::Coordinator(Services services, Timings timings, Clocks clocks)
    : reader(std::move(services.reader)), visibility(std::move(services.visibility)),
      appWatcher(std::move(services.appWatcher)), captureWatcher(std::move(services.captureWatcher)),
      health(std::move(services.health)), pointer(std::move(services.pointer)),
      hover(std::move(services.hover)), trust(std::move(services.trust)),
      dragWatcher(std::move(services.dragWatcher)), screens(std::move(services.screens)),
      reorderer(std::move(services.reorderer)), executor(*clocks.executor), now(std::move(clocks.now)),
      ownItemPlaced(std::move(services.ownItemPlaced)), ownItemOnBar(std::move(services.ownItemOnBar)),
      sleep(std::move(clocks.sleep)), revealSleep(std::move(clocks.revealSleep)),
      wallClock(std::move(clocks.wallClock)), hoverTick(timings.hoverTick),
      hoverIdleTick(timings.hoverIdleTick), trustCheckInterval(timings.trustCheckInterval),
      autoCollapseAfter(timings.autoCollapseAfter), autoCollapseTick(timings.autoCollapseTick),
      selfBundleID(std::move(timings.selfBundleID)), rereadDelays(std::move(timings.rereadDelays)),
      quickReadDelayList(std::move(timings.quickReadDelays)),
      startRetryDelays(std::move(timings.startRetryDelays)),
      foldedCheckDelays(std::move(timings.foldedCheckDelays)),
      hiddenBarPollDelays(std::move(timings.hiddenBarPollDelays)),
      temporaryRevealLimit(timings.temporaryRevealLimit), temporaryLiftLimit(timings.temporaryLiftLimit),
      temporaryLeaveLimit(timings.temporaryLeaveLimit), pressLimit(timings.pressLimit),
      notchTick(timings.notchTick), profile(std::move(timings.profile)) {}

// Only releases the fields: the tasks hold the coordinator weakly and end on their own.
Coordinator::~Coordinator() = default;

MenuBarState Coordinator::effectiveState(bool inUse) const {
    if (inUse && base != MenuBarState::paused) {
        return MenuBarState::privacyOverride;
    }
    return base;
}

MenuBarState Coordinator::effectiveState() const {
    return effectiveState(captureInUse);
}

bool Coordinator::isEarlyInRun() const {
    return startedAt && now() - *startedAt < startUpPeriod;
}

core::LogLevel Coordinator::progressLevel() const {
    return isEarlyInRun() ? core::LogLevel::defaultLevel : core::LogLevel::info;
}

void Coordinator::start(std::optional<PauseReason> pauseAtLaunch) {
    if (hasStarted || isShutDown) {
        return;
    }
    hasStarted = true;
    startedAt = now();

    std::weak_ptr<Coordinator> weak = weak_from_this();
    captureWatcher->start([weak](const system::CaptureUse& use) {
        if (auto self = weak.lock()) {
            self->captureUseChanged(use);
        }
    });
    // The first reading is only stored: the hub runs below through the first state change.
    captureInUse = captureWatcher->current().revealsAll();

    appWatcher->start([weak](const system::AppActivity& event) {
        if (auto self = weak.lock()) {
            self->appActivity(event);
        }
    });

    startTrustChecks();

    if (pauseAtLaunch) {
        setBase(MenuBarState::paused, std::move(pauseAtLaunch));
    } else {
        beginStarting();
    }
}

void Coordinator::pause() {
    if (isShutDown) {
        return;
    }
    setBase(MenuBarState::paused, PauseReason::manual());
}

void Coordinator::resume() {
    if (isShutDown || base != MenuBarState::paused) {
        return;
    }
    beginStarting();
}

void Coordinator::captureUseChanged(const system::CaptureUse& use) {
    if (isShutDown) {
        return;
    }
    const bool inUse = use.revealsAll();
    if (inUse == captureInUse) {
        return;
    }
    const MenuBarState previous = effectiveState();
    captureInUse = inUse;
    stateDidChange(previous);
}

void Coordinator::appActivity(const system::AppActivity& event) {
    if (isShutDown || event.kind() != system::AppActivity::Kind::launched) {
        return;
    }
    enforce();
    // Copied: the calls below may reach back into the model.
    const std::string bundleID = event.bundleID(); // NOLINT(performance-unnecessary-copy-initialization)
    const core::AppKey app(bundleID);
    if (bundleID != selfBundleID && (app.isApple() || profile.section(app) == core::Section::shown)) {
        schedulePlaceShown(2s);
    }
    if (knownOwners.contains(app)) {
        return;
    }
    scheduleQuickRead(bundleID);
    scheduleReread();
}

void Coordinator::setBase(MenuBarState state, std::optional<PauseReason> reason) {
    const MenuBarState previous = effectiveState();
    const MenuBarState oldBase = base;

    if (state == MenuBarState::paused) {
        // A start attempt or fold rescue under way becomes stale.
        ++startGeneration;
        if (base != MenuBarState::paused || !pauseReason) {
            pauseReason = reason ? std::move(*reason) : PauseReason::manual();
        }
    } else {
        pauseReason.reset();
    }
    base = state;

    stateDidChange(previous);

    if ((oldBase == MenuBarState::needsPermission) != (state == MenuBarState::needsPermission)) {
        if (onPermissionWaitChange) {
            onPermissionWaitChange(state == MenuBarState::needsPermission);
        }
    }
}

void Coordinator::beginStarting() {
    const int generation = ++startGeneration;
    setFoldRescue(false);
    setBase(MenuBarState::starting, std::nullopt);
    // An earlier attempt is not cancelled: its generation makes it stale.
    startTask = concurrency::spawn(executor, startAttempt(weak_from_this(), reader, generation));
}

void Coordinator::stateDidChange(MenuBarState previous) {
    const MenuBarState current = effectiveState();

    if (current != previous) {
        core::Log::app().write(
            progressLevel(), fmt::format("状態 {} → {}", core::rawValue(previous), core::rawValue(current)));
    }

    enforce();

    if (current != MenuBarState::collapsed) {
        setBelowBar(false);
    }

    updateAutoCollapse();
    updateHoverWatch();
    updateStandIn();
    updateDragWatch();
    updateNotchWatch();

    if (deferredOrder && !isShutDown && reorderer && isWritableState(current)) {
        const bool reordered = *deferredOrder;
        deferredOrder.reset();
        concurrency::spawn(executor, flushDeferredOrder(weak_from_this(), reordered));
    }

    if (current == MenuBarState::collapsed && !isShowingState(previous)) {
        schedulePlaceShown(0s);
    }

    if (current != previous && onStateChange) {
        onStateChange(current);
    }

    if (previous == MenuBarState::starting && current != MenuBarState::starting && revealAfterStart) {
        const bool all = *revealAfterStart;
        revealAfterStart.reset();
        if (current == MenuBarState::collapsed) {
            reveal(all);
        }
    }
}

void Coordinator::shutdown() {
    if (isShutDown) {
        return;
    }
    restrict(core::VisibilityPlan::noRestriction());
    setBelowBar(false);
    isShutDown = true;

    startTask.cancel();
    rereadTask.cancel();
    refreshTask.cancel();
    standInPlacement.cancel();

    for (auto& [bundleID, task] : quickReadTasks) {
        task.cancel();
    }
    quickReadTasks.clear();

    stopAutoCollapse();
    stopHoverWatch();

    updateDragWatch();
    dragTask.cancel();

    updateNotchWatch();

    for (auto& [serial, task] : revealDeadlines) {
        task.cancel();
    }
    revealDeadlines.clear();

    temporaryReveals.clear();
    temporaryLifts.clear();

    updateStandIn();

    trustTask.cancel();
    trustTask = {};

    appWatcher->stop();
    captureWatcher->stop();
}

} // namespace pellacor::coordinator
