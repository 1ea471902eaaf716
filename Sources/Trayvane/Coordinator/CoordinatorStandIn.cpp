#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Planning/NotchPlanner.h"
#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Planning/UserSwitcherStandIn.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Pressing/SystemItemTarget.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace pellacor::coordinator {

using core::UserSwitcherStandIn;

namespace {

const char* appearsWord(bool appears) {
    return appears ? "出る" : "出ない";
}

} // namespace

void Coordinator::restoreUserSwitcherAnswer(std::optional<bool> answer) {
    if (isShutDown || realUserSwitcherInBar || !answer) {
        return;
    }
    realUserSwitcherInBar = answer;
    core::Log::app().info("利用者の切り替えは、前の起動で決めた答え（{}設定）から始めます",
                          appearsWord(*answer));
    updateStandIn();
}

void Coordinator::noteUserSwitcher(const system::ItemReading::Result& result, std::optional<int> mark) {
    if (isShutDown) {
        return;
    }
    const auto read = result.value();
    if (!read) {
        return;
    }
    const auto& log = core::Log::app();
    const bool realSeen = UserSwitcherStandIn::contains(*read);
    if (userSwitcherUnreachable && realSeen) {
        userSwitcherUnreachable = false;
        log.info("本物の利用者の切り替えが見えたので、また本物を押しにいきます");
    }

    // Only a read of a bar without restriction shows every item, so only such a
    // read can say that the real one is not there. A mark taken under an older
    // restriction generation proves nothing; without a mark, a bar that has never
    // been restricted still tells where the real one sits.
    const auto unrestricted = core::VisibilityPlan::noRestriction();
    const bool agentSeen = std::any_of(read->begin(), read->end(), [](const core::ItemSnapshot& item) {
        return item.ownerBundleID() == UserSwitcherStandIn::ownerBundleID;
    });
    const bool lifted =
        requestedPlan == unrestricted && visibility->currentPlan() == unrestricted && agentSeen;
    const bool countsUnrestricted = mark && *mark == restrictGeneration && lifted;
    const bool seesEverything = mark ? countsUnrestricted : lifted && !hasRequestedRestriction;
    const bool chevronSeen = core::NotchPlanner::chevron(*read).has_value();
    if (seesEverything && !userSwitcherUnreachable && !realSeen && chevronSeen) {
        userSwitcherUnreachable = true;
        log.info("本物の利用者の切り替えは「≪」の後ろにあるので、押したら外さずに予備のメニューを出します");
    }

    if (const auto real = UserSwitcherStandIn::real(*read);
        real && real->frame() && real->frame()->width() > 0 && requestedPlan == unrestricted) {
        const double width = real->frame()->width();
        const bool changed = realUserSwitcherWidth != width;
        // Stored before it is told, so that whoever redraws on the news reads the new width.
        realUserSwitcherWidth = width;
        if (changed && onUserSwitcherWidth) {
            onUserSwitcherWidth(width);
        }
    }

    const auto answer = UserSwitcherStandIn::update(realUserSwitcherInBar, *read, countsUnrestricted);
    if (!answer || answer == realUserSwitcherInBar) {
        return;
    }
    realUserSwitcherInBar = answer;
    log.notice("利用者の切り替えは、メニューバーに{}設定です", appearsWord(*answer));
    if (onUserSwitcherAnswer) {
        onUserSwitcherAnswer(*answer);
    }
    updateStandIn();
}

void Coordinator::updateStandIn() {
    bool wanted = false;
    if (isShutDown) {
        if (!isUserSwitcherStandInShown) {
            return;
        }
    } else {
        wanted = UserSwitcherStandIn::shouldShow(userSwitcherStandInEnabled, effectiveState(),
                                                 realUserSwitcherInBar);
        if (wanted == isUserSwitcherStandInShown) {
            return;
        }
    }
    isUserSwitcherStandInShown = wanted;
    core::Log::app().info("利用者の切り替えの代わりのアイコンを{}ます", wanted ? "出し" : "消し");
    if (onUserSwitcherStandIn) {
        onUserSwitcherStandIn(wanted);
    }
    // Hiding leaves a placement under way to its own checks.
    if (wanted && !isShutDown) {
        standInPlacement.cancel();
        standInPlacement =
            concurrency::spawn(executor, standInPlacementTask(weak_from_this()), "stand-in placement");
    }
}

concurrency::Task<OrderOutcome> Coordinator::standInPlacementTask(std::weak_ptr<Coordinator> weak) {
    OrderOutcome outcome = co_await placeStandInNextToControl(std::move(weak));
    logStandInPlacement(outcome);
    co_return outcome;
}

std::shared_ptr<Coordinator> Coordinator::lockForStandIn(const std::weak_ptr<Coordinator>& weak) {
    auto self = weak.lock();
    if (!self || concurrency::isCancelled() || !self->isUserSwitcherStandInShown || !self->canWriteNow() ||
        self->isApplyingOrder) {
        return nullptr;
    }
    return self;
}

concurrency::Task<OrderOutcome> Coordinator::placeStandInNextToControl(std::weak_ptr<Coordinator> weak) {
    std::shared_ptr<system::ItemReordering> service;
    std::string selfID;
    concurrency::Sleep sleep;
    {
        auto self = weak.lock();
        if (!self || !self->reorderer) {
            co_return OrderOutcome::skipped();
        }
        service = self->reorderer;
        selfID = self->selfBundleID;
        sleep = self->sleep;
    }
    const std::string key = core::OrderPlanner::followerKey(selfID, standInItemName);
    const std::vector<Duration> delays = standInPlacementDelays();
    const auto& log = core::Log::app();

    for (std::size_t attempt = 0; attempt < delays.size(); ++attempt) {
        if (attempt > 0) {
            co_await sleep(delays[attempt]);
        }
        if (!lockForStandIn(weak)) {
            co_return OrderOutcome::skipped();
        }
        const auto read = co_await service->readTable();
        if (!read.isOk()) {
            if (read.reason() == system::UnavailableReason::layoutFolderNotGranted) {
                co_return OrderOutcome::needsFolder();
            }
            co_return OrderOutcome::failed();
        }
        const core::LayoutTable table = *read.value();
        // The system lists a new item in the table a moment after it appears.
        if (!table.contains(key)) {
            continue;
        }
        if (!lockForStandIn(weak)) {
            co_return OrderOutcome::skipped();
        }
        const auto value = core::OrderPlanner::followerValue(table, selfID, standInItemName, {});
        if (!value) {
            co_return OrderOutcome::unchanged();
        }
        // One entry, written only over the table as read.
        core::LayoutTable entry;
        entry.emplace(key, *value);
        const auto written = co_await service->write(std::move(entry), table);
        if (written.isOk()) {
            log.info("利用者の切り替えの代わりのアイコンを、操作口の右隣に置きました");
            co_return OrderOutcome::written(1);
        }
        if (written.reason() == system::UnavailableReason::layoutChanged) {
            continue;
        }
        log.error("利用者の切り替えの代わりのアイコンを、操作口の右隣に置けませんでした");
        co_return OrderOutcome::failed();
    }
    co_return OrderOutcome::failed();
}

void Coordinator::logStandInPlacement(const OrderOutcome& outcome) {
    const auto& log = core::Log::app();
    switch (outcome.kind()) {
    case OrderOutcome::Kind::written:
        // The write logged itself.
        return;
    case OrderOutcome::Kind::unchanged:
        log.info("利用者の切り替えの代わりのアイコンは、もう操作口の右隣にあります");
        return;
    case OrderOutcome::Kind::needsFolder:
        log.notice("利用者の切り替えの代わりのアイコンを、操作口の右隣へ動かせません（配置表のフォルダを選ん"
                   "でいない）。"
                   "macOS が置いた場所のままです");
        return;
    case OrderOutcome::Kind::failed:
        log.notice("利用者の切り替えの代わりのアイコンを、操作口の右隣へ動かせませんでした（配置表が読めない"
                   "・まだ載っ"
                   "ていない）");
        return;
    case OrderOutcome::Kind::noControl:
    case OrderOutcome::Kind::skipped:
    case OrderOutcome::Kind::changedBeforeWrite:
        log.info("利用者の切り替えの代わりのアイコンは、いまは動かしません（{}）", toString(outcome));
        return;
    }
}

// -- Pressing the real one --------------------------------------------------------

concurrency::Task<std::optional<system::PressOutcome>> Coordinator::pressUserSwitcher() {
    return pressUserSwitcherBody(shared_from_this());
}

concurrency::Task<std::optional<system::PressOutcome>>
Coordinator::pressUserSwitcherBody(std::shared_ptr<Coordinator> self) {
    if (self->isShutDown || !self->presser) {
        co_return std::nullopt;
    }
    const auto& log = core::Log::app();
    if (self->isPressingItem) {
        log.notice("前に押したのを待っているので、利用者の切り替えは押しません");
        co_return std::nullopt;
    }
    if (self->userSwitcherUnreachable) {
        log.notice("本物の利用者の切り替えは前に見つからなかったので、外さずに予備のメニューへ回します");
        co_return system::PressOutcome::notFound();
    }
    if (!self->temporaryLifts.empty()) {
        log.notice("本物のメニューを開いている間なので、利用者の切り替えは押し直しません");
        co_return std::nullopt;
    }
    self->isPressingItem = true;
    self->setBelowBar(false);
    log.info("利用者の切り替えの代わりのアイコンから、本物を押します");
    const Instant start = self->now();

    auto press = self->presser->pressSystemItem(system::SystemItemTarget::userSwitcher());
    auto result = co_await pressWithinLimit(self, std::move(press));
    self->isPressingItem = false;
    if (!result) {
        if (result.isTimedOut()) {
            log.notice("利用者の切り替えを押したのが {} 秒で終わらないので、待つのをやめます",
                       std::chrono::duration_cast<std::chrono::seconds>(self->pressLimit).count());
        }
        co_return std::nullopt;
    }
    const system::PressOutcome outcome = *result;
    log.info("利用者の切り替えを押した結果（{}・{}）", system::toString(outcome),
             milliseconds(self->now() - start));
    if (outcome == system::PressOutcome::notFound() && !self->isShutDown) {
        self->userSwitcherUnreachable = true;
        log.notice("制限を外しても、本物の利用者の切り替えが見つかりませんでした（「≪」の後ろかもしれないので"
                   "、出ない設定"
                   "とは決めません）");
    }
    co_return outcome;
}

} // namespace pellacor::coordinator
