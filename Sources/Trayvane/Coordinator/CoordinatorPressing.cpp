#include "Concurrency/Promise.h"
#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <algorithm>
#include <chrono>
#include <fmt/format.h>

namespace pellacor::coordinator {

void Coordinator::setBelowBar(bool show) {
    if (show == isBelowBarShown || (show && isShutDown)) {
        return;
    }
    isBelowBarShown = show;
    core::Log::app().info("下の段を{}ます", show ? "出し" : "閉じ");
    if (onBelowBar) {
        onBelowBar(show);
    }
    // The panel soon gets a fresh read.
    if (show) {
        refreshItems();
    }
    updateHoverWatch();
}

void Coordinator::syncBelowBar() {
    if (isBelowBarShown && belowBarVisible && !belowBarVisible()) {
        core::Log::app().notice("下の段の窓が見えていないので、閉じたことにします");
        belowBarDidClose();
    }
}

void Coordinator::belowBarDidClose() {
    if (!isBelowBarShown) {
        return;
    }
    isBelowBarShown = false;
    core::Log::app().info("下の段が閉じました");
    updateHoverWatch();
}

// -- Pressing ------------------------------------------------------------------

std::string Coordinator::milliseconds(Duration duration) {
    // Whole milliseconds, the fraction dropped.
    return fmt::format("{} ms", std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

namespace {

// Runs the press as a task of its own, so that its caller can stop waiting for
// it; the outcome goes to whoever still waits.
concurrency::Task<void> runPress(concurrency::Task<system::PressOutcome> press,
                                 concurrency::Promise<system::PressOutcome> promise) {
    auto outcome = co_await std::move(press);
    promise.setValue(outcome);
}

} // namespace

concurrency::Task<concurrency::FutureResult<system::PressOutcome>>
Coordinator::pressWithinLimit(std::shared_ptr<Coordinator> self,
                              concurrency::Task<system::PressOutcome> press) {
    // The presser bounds its own waits, but not a blocking call that never
    // returns nor a restriction that never answers, and a flag left set would
    // refuse every later press.
    concurrency::Promise<system::PressOutcome> promise;
    auto future = promise.future();
    auto pressing =
        concurrency::spawn(self->executor, runPress(std::move(press), std::move(promise)), "press");
    const Duration limit = self->pressLimit;
    self.reset();
    auto result = co_await std::move(future).waitFor(limit);
    if (!result) {
        // Stops the presser from trying further ways.
        pressing.cancel();
    }
    co_return result;
}

concurrency::Task<std::optional<system::PressOutcome>> Coordinator::pressItem(core::BelowBarEntry entry,
                                                                              PressSource source) {
    return pressItemBody(shared_from_this(), std::move(entry), source);
}

concurrency::Task<std::optional<system::PressOutcome>>
Coordinator::pressItemBody(std::shared_ptr<Coordinator> self, core::BelowBarEntry entry, PressSource source) {
    if (self->isShutDown || !self->presser) {
        co_return std::nullopt;
    }
    const auto& log = core::Log::app();
    if (self->isPressingItem) {
        log.notice("前に押したのを待っているので、押しません（{}・{}）", entry.bundleID, logWord(source));
        co_return std::nullopt;
    }
    self->isPressingItem = true;
    self->setBelowBar(false);
    log.info("{}から押します（{}・{} 番目）", logWord(source), entry.bundleID, entry.index);
    const Instant start = self->now();

    auto press = self->presser->press(system::PressTarget(entry.bundleID, entry.index, entry.pid));
    auto result = co_await pressWithinLimit(self, std::move(press));
    self->isPressingItem = false;
    if (!result) {
        if (!result.isTimedOut()) {
            // The press went away without an outcome: nothing was pressed.
            co_return std::nullopt;
        }
        log.notice("{}から押したのが {} 秒で終わらないので、待つのをやめます（{}）", logWord(source),
                   std::chrono::duration_cast<std::chrono::seconds>(self->pressLimit).count(),
                   entry.bundleID);
        co_return std::nullopt;
    }
    const system::PressOutcome outcome = *result;
    log.info("{}から押した結果（{}・{}・{}）", logWord(source), entry.bundleID, system::toString(outcome),
             milliseconds(self->now() - start));
    co_return outcome;
}

std::vector<core::ItemSnapshot> Coordinator::pressableItems() const {
    std::set<core::AppKey> tableApps;
    for (const auto& [app, section] : profile.sections) {
        tableApps.insert(app);
    }
    const auto listed =
        core::BelowBarList::withRemembered(items, rememberedItems, tableApps, appWatcher->runningBundleIDs());
    return core::BelowBarList::stableOrder(listed, profile.order, firstSeenRank);
}

bool Coordinator::isHidden(const std::string& bundleID) {
    const core::VisibilityPlan plan = visibility->currentPlan();
    const auto* allowed = plan.allowedBundleIDs();
    return allowed != nullptr && std::find(allowed->begin(), allowed->end(), bundleID) == allowed->end();
}

concurrency::Task<std::optional<system::RevealTicket>>
Coordinator::beginReveal(std::string bundleID, system::RevealPurpose purpose) {
    return beginRevealBody(shared_from_this(), std::move(bundleID), purpose);
}

concurrency::Task<std::optional<system::RevealTicket>>
Coordinator::beginRevealBody(std::shared_ptr<Coordinator> self, std::string bundleID,
                             system::RevealPurpose purpose) {
    if (self->isShutDown || bundleID.empty()) {
        co_return std::nullopt;
    }
    const auto& log = core::Log::app();
    const system::RevealTicket ticket{++self->revealSerial, bundleID};
    self->temporaryReveals.insert_or_assign(ticket.id, core::AppKey(bundleID));
    log.info("押すために一時的に見せます（{}）", bundleID);
    const Instant start = self->now();
    self->enforce();

    // The application of the plan that now lets it through, whose answer says
    // whether it took. Joined also when it has finished or was cancelled.
    if (self->applyTask && !self->isShutDown) {
        const auto applying = self->applyTask;
        co_await applying;
    }

    if (self->isShutDown || !self->temporaryReveals.contains(ticket.id) || self->isHidden(bundleID)) {
        log.notice("一時的に見せられませんでした（{}）", bundleID);
        self->endReveal(ticket);
        co_return std::nullopt;
    }
    log.info("一時的に見せました（{}・待ち {}）", bundleID, milliseconds(self->now() - start));
    self->startRevealDeadline(ticket, purpose == system::RevealPurpose::leaveShown
                                          ? self->temporaryLeaveLimit
                                          : self->temporaryRevealLimit);
    co_return ticket;
}

concurrency::Task<std::optional<system::RevealTicket>> Coordinator::beginLift() {
    return beginLiftBody(shared_from_this());
}

concurrency::Task<std::optional<system::RevealTicket>>
Coordinator::beginLiftBody(std::shared_ptr<Coordinator> self) {
    if (self->isShutDown) {
        co_return std::nullopt;
    }
    const system::RevealTicket ticket{++self->revealSerial, {}};
    self->temporaryLifts.insert(ticket.id);
    core::Log::app().info("本物を押すために、一時的に制限を外します");
    // A removal is sent at once: nothing to wait for.
    self->enforce();
    if (self->isShutDown || !self->visibility->currentPlan().isNoRestriction()) {
        core::Log::app().notice("一時的に制限を外せませんでした");
        self->endReveal(ticket);
        co_return std::nullopt;
    }
    self->startRevealDeadline(ticket, self->temporaryLiftLimit);
    co_return ticket;
}

void Coordinator::endReveal(const system::RevealTicket& ticket) {
    if (auto deadline = revealDeadlines.find(ticket.id); deadline != revealDeadlines.end()) {
        auto task = std::move(deadline->second);
        revealDeadlines.erase(deadline);
        task.cancel();
    }
    if (temporaryLifts.erase(ticket.id) > 0) {
        core::Log::app().info("一時的に外した制限を戻します");
    } else if (temporaryReveals.erase(ticket.id) > 0) {
        core::Log::app().info("一時的に見せたのを戻します（{}）", ticket.bundleID);
    } else {
        // Never issued, or ended already (by its deadline, say): nothing to undo.
        return;
    }
    enforce();
}

void Coordinator::startRevealDeadline(const system::RevealTicket& ticket, Duration limit) {
    revealDeadlines.insert_or_assign(
        ticket.id, concurrency::spawn(executor, revealDeadline(weak_from_this(), ticket, limit, revealSleep),
                                      "reveal deadline"));
}

concurrency::Task<void> Coordinator::revealDeadline(std::weak_ptr<Coordinator> weak,
                                                    system::RevealTicket ticket, Duration limit,
                                                    concurrency::Sleep revealSleep) {
    co_await revealSleep(limit);
    auto self = weak.lock();
    if (!self || concurrency::isCancelled()) {
        co_return;
    }
    const auto seconds =
        static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(limit).count());
    if (ticket.bundleID.empty()) {
        if (!self->temporaryLifts.contains(ticket.id)) {
            co_return;
        }
        core::Log::app().notice("一時的に外した制限を、{} 秒で戻します", seconds);
    } else {
        if (!self->temporaryReveals.contains(ticket.id)) {
            co_return;
        }
        core::Log::app().notice("一時的に見せたのを、{} 秒で戻します（{}）", seconds, ticket.bundleID);
    }
    self->endReveal(ticket);
}

} // namespace pellacor::coordinator
