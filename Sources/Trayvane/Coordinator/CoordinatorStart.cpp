#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <algorithm>
#include <fmt/format.h>
#include <utility>

namespace pellacor::coordinator {

using core::ItemSnapshot;
using core::MenuBarState;
using system::HealthProblem;
using system::HealthReport;
using Result = system::ItemReading::Result;
using namespace std::chrono_literals;

namespace {

// The wait between the fold rescue's checks once its first delays are used up.
constexpr concurrency::Duration foldedPollInterval = 2s;
// The extra waits the fold rescue grants, in all, while the notch handling is
// still changing what it hides.
constexpr int notchExtensionLimit = 8;

bool ownsAnItem(const std::vector<ItemSnapshot>& items, const std::string& owner) {
    return std::ranges::any_of(items,
                               [&](const ItemSnapshot& item) { return item.ownerBundleID() == owner; });
}

bool readHoldsOwner(const Result& result, const std::string& owner) {
    const auto items = result.value();
    return items && ownsAnItem(*items, owner);
}

bool isRevealedState(MenuBarState state) {
    return state == MenuBarState::revealed || state == MenuBarState::revealedAll;
}

} // namespace

bool Coordinator::isStartCurrent(int generation) const {
    return !isShutDown && startGeneration == generation && base == MenuBarState::starting;
}

std::string Coordinator::describe(const Result& result) {
    switch (result.kind()) {
    case Result::Kind::ok: {
        const auto items = result.value();
        std::set<std::string> owners;
        for (const auto& item : *items) {
            owners.insert(item.ownerBundleID());
        }
        return fmt::format("{} 個・{} アプリ・「≪」{}", items->size(), owners.size(),
                           core::NotchPlanner::chevron(*items) ? "あり" : "なし");
    }
    case Result::Kind::unavailable:
        return "使えない（" + system::toString(*result.reason()) + "）";
    case Result::Kind::timeout:
        return "時間切れ";
    }
    return "時間切れ";
}

bool Coordinator::menuBarLooksHidden(const Result& result, const std::string& selfBundleID) {
    const auto items = result.value();
    return items && !items->empty() && std::ranges::all_of(*items, &ItemSnapshot::isApple) &&
           !ownsAnItem(*items, selfBundleID);
}

bool Coordinator::isWorthRetrying(const HealthReport& report) {
    if (report.isHealthy()) {
        return false;
    }
    return std::ranges::all_of(report.problems, [](const HealthProblem& problem) {
        return problem == HealthProblem::readTimedOut || problem == HealthProblem::ownItemMissing ||
               problem == HealthProblem::noItems;
    });
}

// -- The start task ---------------------------------------------------------------

concurrency::Task<void> Coordinator::startAttempt(std::weak_ptr<Coordinator> weak,
                                                  std::shared_ptr<system::ItemReading> reader,
                                                  int generation) {
    concurrency::Now now;
    concurrency::Sleep sleep;
    std::vector<Duration> retryDelays;
    {
        auto self = weak.lock();
        if (!self) {
            co_return;
        }
        now = self->now;
        sleep = self->sleep;
        retryDelays = self->startRetryDelays;
    }
    std::size_t attempt = 0;
    while (true) {
        const Instant began = now();
        std::optional<int> mark;
        if (auto self = weak.lock()) {
            mark = self->readMark();
        }
        auto result = co_await reader->readItems();

        auto self = weak.lock();
        if (self) {
            self->noteUserSwitcher(result, mark);
        }
        // Logged even for a stale attempt: the read happened.
        core::Log::app().notice("起動の読み（{} 回目）{}・{}", attempt + 1, describe(result),
                                milliseconds(now() - began));
        if (!self || !self->isStartCurrent(generation)) {
            co_return;
        }
        HealthReport report = self->health->evaluate(result);

        if (menuBarLooksHidden(result, self->selfBundleID)) {
            self.reset();
            if (!co_await waitForMenuBarToShow(weak, reader, generation)) {
                co_return;
            }
            attempt = 0;
            continue;
        }

        if (attempt < retryDelays.size() && isWorthRetrying(report)) {
            core::Log::app().notice("点検をやり直します（{}）", system::toString(report));
            self.reset();
            co_await sleep(retryDelays[attempt]);
            self = weak.lock();
            if (isGoneOrStopped(self) || !self->isStartCurrent(generation)) {
                co_return;
            }
            ++attempt;
            continue;
        }

        self->finishStarting(result, report);
        co_return;
    }
}

concurrency::Task<bool> Coordinator::waitForMenuBarToShow(std::weak_ptr<Coordinator> weak,
                                                          std::shared_ptr<system::ItemReading> reader,
                                                          int generation) {
    concurrency::Sleep sleep;
    std::vector<Duration> delays;
    std::string selfBundleID;
    {
        auto self = weak.lock();
        if (!self) {
            co_return false;
        }
        sleep = self->sleep;
        delays = self->hiddenBarPollDelays;
        selfBundleID = self->selfBundleID;
    }
    // Nothing is hidden meanwhile: the state stays `starting`.
    core::Log::app().notice(
        "メニューバーが隠れているようです（Apple 以外のアイコンが読めません）。出るまで待ちます"
        "（何も隠しません）");
    const std::set<std::string> own{selfBundleID};
    std::size_t polls = 0;
    co_await sleep(delays[0]);
    while (true) {
        {
            auto self = weak.lock();
            if (isGoneOrStopped(self) || !self->isStartCurrent(generation)) {
                co_return false;
            }
        }
        ++polls;
        auto result = co_await reader->readItems(own);
        {
            auto self = weak.lock();
            if (!self || !self->isStartCurrent(generation)) {
                co_return false;
            }
        }
        if (readHoldsOwner(result, selfBundleID)) {
            core::Log::app().notice("メニューバーが出て、操作口が読めました。点検を続けます");
            co_return true;
        }
        // The start task reads again and judges the failure itself.
        if (result.isUnavailable()) {
            co_return true;
        }
        co_await sleep(delays[std::min(polls, delays.size() - 1)]);
    }
}

// -- The decision -------------------------------------------------------------------

void Coordinator::finishStarting(const Result& result, const HealthReport& report) {
    if (auto read = result.value()) {
        absorbItems(std::move(*read));
    }
    const auto& problems = report.problems;
    if (!report.isHealthy()) {
        core::Log::app().error("点検の問題 {}", system::toString(report));
    }

    if (std::ranges::find(problems,
                          HealthProblem::cannotRead(system::UnavailableReason::noAccessibilityPermission)) !=
        problems.end()) {
        setBase(MenuBarState::needsPermission, std::nullopt);
        return;
    }
    if (knownUntrusted()) {
        setBase(MenuBarState::needsPermission, std::nullopt);
        return;
    }
    // Even a healthy read: an item the system keeps off the bar cannot be used.
    if (ownItemOnBar && ownItemOnBar() == false) {
        core::Log::app().error(
            "操作口がメニューバーにありません（システム設定の「メニューバーに追加することを許可」"
            "が切かもしれません）。何も隠しません");
        setBase(MenuBarState::paused, PauseReason::controlRemoved());
        return;
    }
    if (problems == std::vector{HealthProblem::ownItemMissing} && ownItemPlaced && ownItemPlaced()) {
        core::Log::app().notice(
            "操作口が一覧にありません（「≪」の後ろに畳まれたかもしれません）。隠して空きを作り、"
            "操作口が出るかを見ます");
        setFoldRescue(true);
        setBase(MenuBarState::collapsed, std::nullopt);
        checkOwnItemAppears();
        return;
    }
    if (report.isHealthy()) {
        setBase(MenuBarState::collapsed, std::nullopt);
        return;
    }
    setBase(MenuBarState::paused, PauseReason::healthProblems(problems));
}

// -- The fold rescue ----------------------------------------------------------------

void Coordinator::checkOwnItemAppears() {
    // Under the attempt's generation: a pause or a new attempt ends it too.
    startTask = concurrency::spawn(
        executor, foldRescueTask(weak_from_this(), reader, startGeneration, selfBundleID, foldedCheckDelays));
}

concurrency::Task<void> Coordinator::foldRescueTask(std::weak_ptr<Coordinator> weak,
                                                    std::shared_ptr<system::ItemReading> reader,
                                                    int generation, std::string selfBundleID,
                                                    std::vector<Duration> delays) {
    concurrency::Sleep sleep;
    if (auto self = weak.lock()) {
        sleep = self->sleep;
    } else {
        co_return;
    }
    if (!co_await foldRescueFirstChecks(weak, reader, generation, selfBundleID, std::move(delays), sleep)) {
        co_return;
    }
    co_await foldRescueWhileFolded(std::move(weak), std::move(reader), generation, std::move(selfBundleID),
                                   std::move(sleep));
}

bool Coordinator::isFoldRescueCurrent(const std::shared_ptr<Coordinator>& self, int generation) {
    return self && !self->isShutDown && self->startGeneration == generation && isShowingState(self->base);
}

bool Coordinator::foldRescueGuardHolds(const std::shared_ptr<Coordinator>& self, int generation) {
    return isFoldRescueCurrent(self, generation) && !concurrency::isCancelled();
}

bool Coordinator::barShowsEverything(const std::shared_ptr<Coordinator>& self) {
    return isRevealedState(self->base) || self->captureInUse;
}

concurrency::Task<bool> Coordinator::foldRescueFirstChecks(std::weak_ptr<Coordinator> weak,
                                                           std::shared_ptr<system::ItemReading> reader,
                                                           int generation, std::string selfBundleID,
                                                           std::vector<Duration> delays,
                                                           concurrency::Sleep sleep) {
    const std::set<std::string> own{selfBundleID};
    std::size_t index = 0;
    int extensions = 0;
    while (index < delays.size()) {
        int notchBefore = 0;
        if (auto self = weak.lock()) {
            notchBefore = self->notchChangeCount;
        }
        co_await sleep(delays[index]);
        {
            auto self = weak.lock();
            if (!foldRescueGuardHolds(self, generation)) {
                co_return false;
            }
            if (barShowsEverything(self)) {
                continue;
            }
        }
        auto result = co_await reader->readItems(own);
        auto self = weak.lock();
        if (readHoldsOwner(result, selfBundleID)) {
            if (foldRescueGuardHolds(self, generation)) {
                core::Log::app().notice("隠して空きができ、操作口が出ました");
            }
            co_return false;
        }
        if (!isFoldRescueCurrent(self, generation)) {
            co_return false;
        }
        if (self->notchChangeCount != notchBefore && extensions < notchExtensionLimit) {
            core::Log::app().notice("ノッチ対策が空きを作っている途中です。操作口が出るのを待ち続けます");
            ++extensions;
            continue;
        }
        ++index;
    }
    co_return true;
}

concurrency::Task<void> Coordinator::foldRescueWhileFolded(std::weak_ptr<Coordinator> weak,
                                                           std::shared_ptr<system::ItemReading> reader,
                                                           int generation, std::string selfBundleID,
                                                           concurrency::Sleep sleep) {
    const std::set<std::string> ownAndChevron{selfBundleID, std::string(core::NotchPlanner::chevronOwner)};
    bool toldFolded = false;
    while (true) {
        {
            auto self = weak.lock();
            if (!foldRescueGuardHolds(self, generation)) {
                co_return;
            }
            if (barShowsEverything(self)) {
                self.reset();
                co_await sleep(foldedPollInterval);
                continue;
            }
        }
        auto result = co_await reader->readItems(ownAndChevron);
        auto read = std::move(result).value();
        if (!read) {
            co_await sleep(foldedPollInterval);
            continue;
        }
        auto self = weak.lock();
        if (!self || self->isShutDown || self->startGeneration != generation) {
            co_return;
        }
        if (barShowsEverything(self)) {
            self.reset();
            co_await sleep(foldedPollInterval);
            continue;
        }
        if (self->base != MenuBarState::collapsed) {
            co_return;
        }
        if (ownsAnItem(*read, selfBundleID)) {
            core::Log::app().notice("畳まれていた操作口が出ました");
            co_return;
        }
        if (core::NotchPlanner::chevron(*read)) {
            if (!toldFolded) {
                core::Log::app().notice(
                    "操作口は「≪」の後ろに畳まれたままです。止めずに隠したまま、操作口が出るのを待ちます");
                toldFolded = true;
            }
            self.reset();
            co_await sleep(foldedPollInterval);
            continue;
        }
        // Neither on the bar nor folded: hiding has not brought it back.
        core::Log::app().error("隠しても操作口が出ません。一時停止します");
        self->setBase(MenuBarState::paused, PauseReason::healthProblems({HealthProblem::ownItemMissing}));
        self->setFoldRescue(false);
        co_return;
    }
}

} // namespace pellacor::coordinator
