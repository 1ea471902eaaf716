#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <utility>

namespace pellacor::coordinator {

using core::AppKey;
using core::NotchPlanner;
using namespace std::chrono_literals;

namespace {

// The longest the watch backs off to while nothing changes.
constexpr concurrency::Duration notchTickCeiling = 10s;
// Screen notices closer together than this are one change.
constexpr concurrency::Duration notchNoticeDebounce = 1s;
// A notched screen seen plain this many checks in a row is believed plain.
constexpr int plainChecksNeeded = 2;

} // namespace

bool Coordinator::isNotchHandlingActive() const {
    return notchOverflowEnabled && (belowBarEnabled || foldRescue);
}

bool Coordinator::canCheckNotch() const {
    return !isShutDown && isNotchHandlingActive() && !captureInUse && base == core::MenuBarState::collapsed &&
           temporaryReveals.empty() && temporaryLifts.empty() && !isPressingItem && !isBelowBarShown;
}

void Coordinator::notchSettingChanged() {
    if (!isNotchHandlingActive()) {
        // Every overflowed application comes back at once.
        applyNotch(NotchPlanner::State{});
    }
    updateNotchWatch();
}

void Coordinator::setFoldRescue(bool on) {
    if (foldRescue == on) {
        return;
    }
    foldRescue = on;
    if (on) {
        core::Log::app().notice(
            "操作口が畳まれているので、下の段が切でも、ノッチ対策で「表示」のアプリを一時的に"
            "隠して空きを作ります");
    }
    notchSettingChanged();
}

void Coordinator::updateNotchWatch() {
    if (!screens) {
        return;
    }
    const bool runs =
        !isShutDown && isNotchHandlingActive() && !captureInUse && base == core::MenuBarState::collapsed;
    if (!runs) {
        if (isScreenWatchRunning) {
            isScreenWatchRunning = false;
            screens->stop();
        }
        ++notchGeneration;
        notchTask.cancel();
        notchTask = {};
        return;
    }
    if (!isScreenWatchRunning) {
        isScreenWatchRunning = true;
        std::weak_ptr<Coordinator> weak = weak_from_this();
        screens->start([weak] {
            if (auto self = weak.lock()) {
                self->screenMayHaveChanged();
            }
        });
    }
    if (notchTask || !notchTick) {
        return;
    }
    const int generation = ++notchGeneration;
    notchTask = concurrency::spawn(executor, notchWatch(weak_from_this(), generation, *notchTick, sleep));
}

concurrency::Task<void> Coordinator::notchWatch(std::weak_ptr<Coordinator> weak, int generation,
                                                Duration tick, concurrency::Sleep sleep) {
    Duration interval = tick;
    while (true) {
        co_await sleep(interval);
        {
            auto self = weak.lock();
            if (isGoneOrStopped(self) || self->notchGeneration != generation) {
                co_return;
            }
        }
        // Only the check's own guards hold the coordinator across its reads.
        auto check = checkNotchBody(weak);
        const bool changed = co_await std::move(check);
        interval = changed ? tick : std::min(interval * 2, notchTickCeiling);
    }
}

void Coordinator::screenMayHaveChanged() {
    if (!canCheckNotch()) {
        return;
    }
    const Instant at = now();
    if (lastNotchNotice && at - *lastNotchNotice < notchNoticeDebounce) {
        return;
    }
    lastNotchNotice = at;
    concurrency::spawn(executor, checkNotchFromNotice(weak_from_this()));
}

concurrency::Task<void> Coordinator::checkNotchFromNotice(std::weak_ptr<Coordinator> weak) {
    auto check = checkNotchBody(std::move(weak));
    co_await std::move(check);
}

concurrency::Task<bool> Coordinator::checkNotch() {
    // The check starts on a later turn, when its caller may have let go of
    // the coordinator: it holds it weakly from the start.
    return checkNotchBody(weak_from_this());
}

concurrency::Task<bool> Coordinator::checkNotchBody(std::weak_ptr<Coordinator> weak) {
    auto self = weak.lock();
    if (!self || !self->canCheckNotch() || self->isCheckingNotch || !self->screens) {
        co_return false;
    }
    const std::vector<NotchPlanner::Screen> attached = self->screens->screens();
    const bool anyNotch = std::any_of(attached.begin(), attached.end(),
                                      [](const NotchPlanner::Screen& s) { return s.notchRight.has_value(); });
    if (!anyNotch) {
        self->noteActiveScreen(NotchPlanner::ActiveScreen::plain());
        co_return self->applyPlainScreen();
    }

    const auto& requested = self->requestedPlan;
    if (!requested || requested->isNoRestriction() || self->visibility->currentPlan() != *requested) {
        co_return false;
    }
    const core::VisibilityPlan plan = *requested;
    // The coordinator may go away during a read; the check then ends unnoticed.
    const std::shared_ptr<system::ItemReading> itemReader = self->reader;
    self->isCheckingNotch = true;
    const std::set<std::string> ownAndChevron{self->selfBundleID, std::string(NotchPlanner::chevronOwner)};
    self.reset();
    const auto first = co_await itemReader->readItems(ownAndChevron);
    self = afterNotchRead(weak, plan, first);
    if (!self) {
        co_return false;
    }
    const std::vector<core::ItemSnapshot> firstItems = *first.value();
    const auto active = NotchPlanner::activeScreen(firstItems, attached, self->selfBundleID);
    if (const auto verdict = self->judgeActiveScreen(active)) {
        co_return *verdict;
    }
    if (!NotchPlanner::chevron(firstItems) && self->notchState.overflow.empty()) {
        co_return false;
    }

    std::set<std::string> owners = self->notchReadOwners(plan, ownAndChevron);
    self->isCheckingNotch = true;
    self.reset();
    const auto second = co_await itemReader->readItems(std::move(owners));
    self = afterNotchRead(weak, plan, second);
    if (!self) {
        co_return false;
    }
    std::vector<core::ItemSnapshot> secondItems = *second.value();
    if (NotchPlanner::activeScreen(secondItems, attached, self->selfBundleID) != active) {
        co_return false;
    }
    const auto& allowed = *plan.allowedBundleIDs();
    std::set<AppKey> visible;
    for (const auto& bundleID : allowed) {
        visible.insert(AppKey(bundleID));
    }
    co_return self->applyNotch(NotchPlanner::step(
        self->notchState, self->notchInput(std::move(secondItems), std::move(visible), active.notchRight())));
}

std::shared_ptr<Coordinator> Coordinator::afterNotchRead(const std::weak_ptr<Coordinator>& weak,
                                                         const core::VisibilityPlan& plan,
                                                         const system::ItemReading::Result& result) {
    auto self = weak.lock();
    if (!self) {
        return nullptr;
    }
    self->isCheckingNotch = false;
    if (!result.isOk() || !self->canCheckNotch() || self->requestedPlan != plan ||
        self->visibility->currentPlan() != plan) {
        return nullptr;
    }
    return self;
}

std::optional<bool> Coordinator::judgeActiveScreen(const NotchPlanner::ActiveScreen& active) {
    noteActiveScreen(active);
    switch (active.kind()) {
    case NotchPlanner::ActiveScreen::Kind::unknown:
        return false;
    case NotchPlanner::ActiveScreen::Kind::plain:
        ++notchPlainStreak;
        if (notchPlainStreak < plainChecksNeeded) {
            return false;
        }
        return applyPlainScreen();
    case NotchPlanner::ActiveScreen::Kind::notch:
        notchPlainStreak = 0;
        break;
    }
    return std::nullopt;
}

bool Coordinator::applyPlainScreen() {
    return applyNotch(NotchPlanner::step(notchState, notchInput({}, {}, std::nullopt)));
}

std::set<std::string> Coordinator::notchReadOwners(const core::VisibilityPlan& plan,
                                                   std::set<std::string> owners) const {
    const auto& allowed = *plan.allowedBundleIDs();
    const std::set<std::string> allowedSet(allowed.begin(), allowed.end());
    for (const auto& snapshot : items) {
        if (allowedSet.contains(snapshot.ownerBundleID())) {
            owners.insert(snapshot.ownerBundleID());
        }
    }
    for (const auto& bundleID : appWatcher->runningBundleIDs()) {
        if (allowedSet.contains(bundleID) && profile.section(AppKey(bundleID)) == core::Section::shown) {
            owners.insert(bundleID);
        }
    }
    for (const auto& app : notchState.overflow) {
        owners.insert(app.bundleID());
    }
    return owners;
}

NotchPlanner::Input Coordinator::notchInput(std::vector<core::ItemSnapshot> readItems,
                                            std::set<AppKey> visible,
                                            std::optional<double> notchRight) const {
    std::set<AppKey> running;
    for (const auto& bundleID : appWatcher->runningBundleIDs()) {
        running.insert(AppKey(bundleID));
    }
    return NotchPlanner::Input{
        .items = std::move(readItems),
        .profile = profile,
        .visible = std::move(visible),
        .selfBundleID = selfBundleID,
        .notchRight = notchRight,
        .collapsed = !captureInUse && base == core::MenuBarState::collapsed,
        .enabled = isNotchHandlingActive(),
        .now = wallClock(),
        .running = std::move(running),
    };
}

bool Coordinator::applyNotch(NotchPlanner::State state) {
    if (state == notchState) {
        return false;
    }
    const std::set<AppKey> before = notchState.hidden();
    notchState = std::move(state);
    const std::set<AppKey> after = notchState.hidden();
    if (after == before) {
        return false;
    }
    ++notchChangeCount;
    std::vector<std::string> hidden;
    for (const auto& app : notchState.overflow) {
        if (!before.contains(app)) {
            hidden.push_back(app.bundleID());
        }
    }
    std::vector<std::string> restored;
    for (const auto& app : before) {
        if (!after.contains(app)) {
            restored.push_back(app.bundleID());
        }
    }
    std::sort(restored.begin(), restored.end());
    core::Log::app().info("ノッチで一時的に隠すアプリを変えました（隠す：{}・戻す：{}・いま {} 個）",
                          fmt::join(hidden, ","), fmt::join(restored, ","), notchState.overflow.size());
    enforce();
    if (onNotchOverflowChange) {
        onNotchOverflowChange(after);
    }
    return true;
}

void Coordinator::noteActiveScreen(const NotchPlanner::ActiveScreen& active) {
    if (active.kind() == NotchPlanner::ActiveScreen::Kind::unknown) {
        return;
    }
    const bool notched = active.kind() == NotchPlanner::ActiveScreen::Kind::notch;
    if (lastActiveNotched == notched) {
        return;
    }
    lastActiveNotched = notched;
    core::Log::app().info("いま使っている画面は、ノッチの{}画面です", notched ? "ある" : "無い");
}

} // namespace pellacor::coordinator
