#pragma once

#include "Trayvane/Coordinator/Coordinator.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::coordinator {

// The tests' window onto the coordinator's private model, to read what a step
// changed. It writes no field: a test reaches a state the way the program does,
// through the coordinator's entry points and the fakes (the fixture's `given…`
// helpers). Besides the pure judgements it runs three private operations the
// real path cannot reach on its own terms: the hover reveal meeting a panel
// closed behind the coordinator's back (the watch does not run while the panel
// is open), a planner state with an unchanged hidden set, and the trust query
// of the start's decision.
class CoordinatorProbe {
public:
    using State = core::MenuBarState;

    static State base(const Coordinator& c) { return c.base; }
    static bool captureInUse(Coordinator& c) { return c.captureInUse; }
    static const std::optional<PauseReason>& pauseReason(Coordinator& c) { return c.pauseReason; }
    static int startGeneration(Coordinator& c) { return c.startGeneration; }
    static const concurrency::TaskHandle<void>& startTask(Coordinator& c) { return c.startTask; }
    static std::optional<concurrency::Instant> startedAt(Coordinator& c) { return c.startedAt; }
    static bool isShutDown(Coordinator& c) { return c.isShutDown; }
    static bool hasStarted(Coordinator& c) { return c.hasStarted; }

    static int grantRetriesLeft(Coordinator& c) { return c.grantRetriesLeft; }
    static int offBarStreak(Coordinator& c) { return c.offBarStreak; }
    static std::optional<bool> accessibilityTrusted(Coordinator& c) { return c.accessibilityTrusted; }
    static const concurrency::TaskHandle<void>& trustTask(Coordinator& c) { return c.trustTask; }
    static bool knownUntrusted(Coordinator& c) { return c.knownUntrusted(); }

    static const core::Profile& profile(const Coordinator& c) { return c.profile; }
    static const std::set<core::AppKey>& knownOwners(const Coordinator& c) { return c.knownOwners; }

    static const std::vector<core::ItemSnapshot>& items(const Coordinator& c) { return c.items; }
    static int itemsGeneration(Coordinator& c) { return c.itemsGeneration; }
    static const std::map<core::AppKey, std::vector<core::ItemSnapshot>>& rememberedItems(Coordinator& c) {
        return c.rememberedItems;
    }
    static const std::map<core::AppKey, int>& firstSeenRank(Coordinator& c) { return c.firstSeenRank; }
    static const std::map<std::string, int>& quickFound(Coordinator& c) { return c.quickFound; }
    static std::set<std::string> quickReads(Coordinator& c) {
        std::set<std::string> owners;
        for (const auto& [bundleID, task] : c.quickReadTasks) {
            owners.insert(bundleID);
        }
        return owners;
    }
    static const concurrency::TaskHandle<void>& rereadTask(Coordinator& c) { return c.rereadTask; }
    static int rereadRequests(Coordinator& c) { return c.rereadRequests; }
    static const concurrency::TaskHandle<void>& refreshTask(Coordinator& c) { return c.refreshTask; }
    static std::optional<int> readMark(Coordinator& c) { return c.readMark(); }
    static const std::map<int, core::AppKey>& temporaryReveals(const Coordinator& c) {
        return c.temporaryReveals;
    }
    static const std::set<int>& temporaryLifts(const Coordinator& c) { return c.temporaryLifts; }
    static int revealSerial(Coordinator& c) { return c.revealSerial; }
    static std::set<int> revealDeadlines(Coordinator& c) {
        std::set<int> ids;
        for (const auto& [id, task] : c.revealDeadlines) {
            ids.insert(id);
        }
        return ids;
    }
    static bool isPressingItem(Coordinator& c) { return c.isPressingItem; }
    static const core::NotchPlanner::State& notchState(const Coordinator& c) { return c.notchState; }
    static bool foldRescue(const Coordinator& c) { return c.foldRescue; }
    static int notchChangeCount(const Coordinator& c) { return c.notchChangeCount; }
    // Stores a planner state as a check does; true when what is hidden changed.
    static bool applyNotch(Coordinator& c, core::NotchPlanner::State state) {
        return c.applyNotch(std::move(state));
    }
    static core::NotchPlanner::Input notchInput(const Coordinator& c, std::vector<core::ItemSnapshot> items,
                                                std::set<core::AppKey> visible, std::optional<double> right) {
        return c.notchInput(std::move(items), std::move(visible), right);
    }
    static bool isCheckingNotch(Coordinator& c) { return c.isCheckingNotch; }
    static bool isScreenWatchRunning(Coordinator& c) { return c.isScreenWatchRunning; }
    static int notchPlainStreak(Coordinator& c) { return c.notchPlainStreak; }
    static int notchGeneration(Coordinator& c) { return c.notchGeneration; }
    static const concurrency::TaskHandle<void>& notchTask(Coordinator& c) { return c.notchTask; }

    static std::string describe(const system::ItemReading::Result& result) {
        return Coordinator::describe(result);
    }
    static bool menuBarLooksHidden(const system::ItemReading::Result& result,
                                   const std::string& selfBundleID) {
        return Coordinator::menuBarLooksHidden(result, selfBundleID);
    }
    static bool isWorthRetrying(const system::HealthReport& report) {
        return Coordinator::isWorthRetrying(report);
    }
    static const std::optional<bool>& revealAfterStart(const Coordinator& c) { return c.revealAfterStart; }
    static const std::optional<bool>& deferredOrder(const Coordinator& c) { return c.deferredOrder; }
    static bool isBelowBarShown(Coordinator& c) { return c.isBelowBarShown; }
    // The hover watch's reveal, for a panel closed behind the coordinator's
    // back while the watch could not run.
    static void hoverReveal(Coordinator& c) { c.hoverReveal(); }
    static const concurrency::TaskHandle<void>& collapseTask(Coordinator& c) { return c.collapseTask; }
    static int collapseGeneration(Coordinator& c) { return c.collapseGeneration; }
    static const concurrency::TaskHandle<void>& hoverTask(Coordinator& c) { return c.hoverTask; }
    static int hoverGeneration(Coordinator& c) { return c.hoverGeneration; }

    static const std::optional<core::VisibilityPlan>& requestedPlan(Coordinator& c) {
        return c.requestedPlan;
    }
    static int restrictGeneration(Coordinator& c) { return c.restrictGeneration; }
    static const concurrency::TaskHandle<void>& applyTask(Coordinator& c) { return c.applyTask; }
    static std::optional<concurrency::Instant> unrestrictedSince(Coordinator& c) {
        return c.unrestrictedSince;
    }
    static bool hasRequestedRestriction(Coordinator& c) { return c.hasRequestedRestriction; }
    static std::set<core::AppKey> notchPlanOverflow(Coordinator& c) { return c.notchPlanOverflow(); }

    static int placeShownGeneration(Coordinator& c) { return c.placeShownGeneration; }
    static const concurrency::TaskHandle<void>& placeShownTask(Coordinator& c) { return c.placeShownTask; }
    static bool reorderWaitingForFolder(Coordinator& c) { return c.reorderWaitingForFolder; }
    static std::map<core::AppKey, int> shownIconCounts(Coordinator& c) { return c.shownIconCounts(); }

    static bool isDragWatchRunning(Coordinator& c) { return c.isDragWatchRunning; }
    static int dragGeneration(Coordinator& c) { return c.dragGeneration; }
    static const concurrency::TaskHandle<void>& dragTask(Coordinator& c) { return c.dragTask; }

    static const std::optional<bool>& realUserSwitcherInBar(const Coordinator& c) {
        return c.realUserSwitcherInBar;
    }
    static bool userSwitcherUnreachable(const Coordinator& c) { return c.userSwitcherUnreachable; }
    static bool isUserSwitcherStandInShown(Coordinator& c) { return c.isUserSwitcherStandInShown; }
    static const concurrency::TaskHandle<OrderOutcome>& standInPlacement(Coordinator& c) {
        return c.standInPlacement;
    }
};

} // namespace pellacor::coordinator
