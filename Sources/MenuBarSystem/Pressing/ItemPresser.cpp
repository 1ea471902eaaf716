#include "MenuBarSystem/Pressing/ItemPresser.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Pressing/PressLog.h"

#include <algorithm>
#include <cassert>
#include <fmt/format.h>

namespace pellacor::system {

namespace {

using concurrency::Duration;
using concurrency::Instant;
using concurrency::isCancelled;
using concurrency::offMain;
using concurrency::Task;
using core::PressMethod;

bool sharesAny(const WindowNumbers& a, const WindowNumbers& b) {
    return std::any_of(a.begin(), a.end(), [&](std::uint32_t number) { return b.contains(number); });
}

// The windows in `current` that are not in `baseline`.
WindowNumbers added(const WindowNumbers& current, const WindowNumbers& baseline) {
    WindowNumbers result;
    std::set_difference(current.begin(), current.end(), baseline.begin(), baseline.end(),
                        std::inserter(result, result.end()));
    return result;
}

} // namespace

ItemPresser::ItemPresser(concurrency::MainExecutor& executor,
                         std::shared_ptr<PressAccessibility> accessibility,
                         std::weak_ptr<PressRevealing> revealer, Settings settings, concurrency::Now now,
                         concurrency::Sleep sleep, OffMain offMain)
    : executor_(executor), accessibility_(std::move(accessibility)), revealer_(std::move(revealer)),
      sleep_(sleep ? std::move(sleep) : concurrency::defaultSleep()),
      now_(now ? std::move(now) : concurrency::nowOf(executor)), settings_(settings),
      offMain_(std::move(offMain)) {
    assert(offMain_ && "the presser's blocking calls need somewhere to run");
}

std::string ItemPresser::queueLabel() {
    return std::string(core::bundleIdentifier) + std::string(queueSuffix);
}

std::shared_ptr<ItemPresser> ItemPresser::create(concurrency::MainExecutor& executor,
                                                 std::shared_ptr<concurrency::SerialQueue> queue,
                                                 std::shared_ptr<PressAccessibility> accessibility,
                                                 std::weak_ptr<PressRevealing> revealer) {
    return create(executor, std::move(accessibility), std::move(revealer), Settings{}, {}, {},
                  concurrency::offMainOn(std::move(queue)));
}

std::shared_ptr<ItemPresser> ItemPresser::create(concurrency::MainExecutor& executor,
                                                 std::shared_ptr<PressAccessibility> accessibility,
                                                 std::weak_ptr<PressRevealing> revealer, Settings settings,
                                                 concurrency::Now now, concurrency::Sleep sleep,
                                                 OffMain offMain) {
    return std::shared_ptr<ItemPresser>(new ItemPresser(executor, std::move(accessibility),
                                                        std::move(revealer), settings, std::move(now),
                                                        std::move(sleep), std::move(offMain)));
}

std::optional<WindowNumbers> ItemPresser::windows(PressAccessibility& accessibility,
                                                  const std::vector<std::int32_t>& pids) {
    WindowNumbers all;
    for (const std::int32_t pid : pids) {
        auto numbers = accessibility.windows(pid);
        if (!numbers) {
            return std::nullopt;
        }
        all.merge(*numbers);
    }
    return all;
}

std::string ItemPresser::milliseconds(Duration duration) {
    return fmt::format("{} ms", std::chrono::round<std::chrono::milliseconds>(duration).count());
}

std::map<std::string, RevealTicket> ItemPresser::leftShownTickets() const {
    std::map<std::string, RevealTicket> tickets;
    for (const auto& [bundleID, entry] : leftShown_) {
        tickets.emplace(bundleID, entry.ticket);
    }
    return tickets;
}

std::vector<int> ItemPresser::heldTicketIds() const {
    std::vector<int> ids;
    for (const auto& [id, task] : holdTasks_) {
        ids.push_back(id);
    }
    return ids;
}

Task<PressOutcome> ItemPresser::press(PressTarget target) {
    return pressFlow(shared_from_this(), std::move(target));
}

Task<PressOutcome> ItemPresser::pressSystemItem(SystemItemTarget target) {
    return systemPressFlow(shared_from_this(), std::move(target));
}

Task<PressOutcome> ItemPresser::systemPressFlow(std::shared_ptr<ItemPresser> self, SystemItemTarget target) {
    const core::Log& log = PressLog::press();
    const std::string owner = target.ownerBundleID;
    const std::string identifier = target.identifier;
    const auto accessibility = self->accessibility_;

    auto trustJob = [accessibility] { return accessibility->isTrusted(); };
    const bool trusted = co_await offMain(self->offMain_, std::move(trustJob));
    if (!trusted) {
        co_return PressOutcome::unavailable(UnavailableReason::noAccessibilityPermission);
    }

    auto pidsJob = [accessibility, owner] { return accessibility->pids(owner); };
    const std::vector<std::int32_t> pids = co_await offMain(self->offMain_, std::move(pidsJob));
    if (pids.empty()) {
        co_return PressOutcome::unavailable(UnavailableReason::systemError(0));
    }
    // Only the owner's first process is looked up and pressed.
    const std::int32_t pid = pids.front();

    const std::vector<std::string> menuOwners = target.menuOwnerBundleIDs;
    auto menuPidsJob = [accessibility, menuOwners] {
        std::vector<std::int32_t> all;
        for (const std::string& menuOwner : menuOwners) {
            const std::vector<std::int32_t> some = accessibility->pids(menuOwner);
            all.insert(all.end(), some.begin(), some.end());
        }
        return all;
    };
    const std::vector<std::int32_t> menuPids = co_await offMain(self->offMain_, std::move(menuPidsJob));
    // The item's menu may open in another process than its owner: every process
    // listed here counts. The owner's process leads and is not listed twice.
    std::vector<std::int32_t> watch{pid};
    std::copy_if(menuPids.begin(), menuPids.end(), std::back_inserter(watch),
                 [pid](std::int32_t other) { return other != pid; });

    // Kept until the press is over, so that the lift is surely given back to the
    // one who granted it.
    const std::shared_ptr<PressRevealing> revealer = self->revealer_.lock();
    if (!revealer) {
        log.notice("一時的に制限を外せませんでした（{}）", owner);
        co_return PressOutcome::unavailable(UnavailableReason::restrictionRejected);
    }
    const std::optional<RevealTicket> ticket = co_await revealer->beginLift();
    if (!ticket) {
        log.notice("一時的に制限を外せませんでした（{}）", owner);
        co_return PressOutcome::unavailable(UnavailableReason::restrictionRejected);
    }

    // The system puts its item back some time after the lift: wait until it
    // stands in the menu bar, or give up.
    const Instant start = self->now_();
    SystemItemLookup lookup = SystemItemLookup::unreadable();
    std::optional<int> index;
    for (;;) {
        auto lookupJob = [accessibility, pid, identifier] { return accessibility->lookup(pid, identifier); };
        const SystemItemLookup found = co_await offMain(self->offMain_, std::move(lookupJob));
        lookup = found;
        if (lookup.kind() == SystemItemLookup::Kind::found) {
            const int position = lookup.position();
            auto placedJob = [accessibility, pid, position] {
                return accessibility->isPlaced(pid, position);
            };
            const std::optional<bool> placed = co_await offMain(self->offMain_, std::move(placedJob));
            // A frame that cannot be read is no reason to wait: press it as it is.
            if (placed != false) {
                index = position;
                break;
            }
        }
        if (self->now_() - start < liftPlaceWait && !isCancelled()) {
            co_await self->sleep_(placeInterval);
            continue;
        }
        break;
    }
    if (!index) {
        revealer->endReveal(*ticket);
        log.notice("制限を外しても、本物が置かれませんでした（{}・{}）", identifier, toString(lookup));
        co_return lookup.kind() == SystemItemLookup::Kind::absent
            ? PressOutcome::notFound()
            : PressOutcome::unavailable(UnavailableReason::systemError(0));
    }
    log.info("制限を外して、本物が置かれました（{}・待ち {}）", identifier,
             milliseconds(self->now_() - start));

    auto baselineJob = [accessibility, watch] { return windows(*accessibility, watch); };
    const std::optional<WindowNumbers> baseline = co_await offMain(self->offMain_, std::move(baselineJob));
    if (!baseline) {
        revealer->endReveal(*ticket);
        co_return PressOutcome::unavailable(UnavailableReason::systemError(0));
    }

    const Watch result = co_await pressAndWatch(self, PressTarget(owner, *index, pid), pid, watch, identifier,
                                                systemOpenWait, *baseline);
    switch (result.kind) {
    case Watch::Kind::noItem:
        revealer->endReveal(*ticket);
        co_return PressOutcome::notFound();
    case Watch::Kind::noMenu:
        // Nothing to keep the bar unrestricted for: the restriction is back at once.
        revealer->endReveal(*ticket);
        log.notice("本物を押しても開きませんでした（{}）", identifier);
        co_return PressOutcome::notOpened();
    case Watch::Kind::opened:
        break;
    }
    // The lift stays while the menu is open; the hold gives it back.
    self->hold(*ticket, pid, watch, result.opened, self->settings_.liftHold);
    log.info("本物のメニューが開きました（{}）", identifier);
    co_return PressOutcome::opened(PressMethod::liftPress);
}

Task<PressOutcome> ItemPresser::pressFlow(std::shared_ptr<ItemPresser> self, PressTarget target) {
    const core::Log& log = PressLog::press();
    const std::string& bundleID = target.bundleID;
    const auto accessibility = self->accessibility_;

    auto trustJob = [accessibility] { return accessibility->isTrusted(); };
    const bool trusted = co_await offMain(self->offMain_, std::move(trustJob));
    if (!trusted) {
        co_return PressOutcome::unavailable(UnavailableReason::noAccessibilityPermission);
    }

    auto pidsJob = [accessibility, bundleID] { return accessibility->pids(bundleID); };
    const std::vector<std::int32_t> pids = co_await offMain(self->offMain_, std::move(pidsJob));
    std::int32_t pid = 0;
    if (target.pid && std::find(pids.begin(), pids.end(), *target.pid) != pids.end()) {
        pid = *target.pid;
    } else if (pids.empty()) {
        co_return PressOutcome::notFound();
    } else {
        pid = pids.front();
    }

    bool hidden = false;
    if (auto revealer = self->revealer_.lock()) {
        hidden = revealer->isHidden(bundleID);
    }

    auto baselineJob = [accessibility, pid] { return windows(*accessibility, {pid}); };
    const std::optional<WindowNumbers> baseline = co_await offMain(self->offMain_, std::move(baselineJob));
    if (!baseline) {
        log.notice("窓の一覧が読めないので押しません（{}）", bundleID);
        co_return PressOutcome::unavailable(UnavailableReason::systemError(0));
    }

    const std::vector<PressMethod> methods = self->memory_.order(bundleID, hidden);
    std::optional<PressMethod> lastPressed;
    bool remember = true;
    for (const PressMethod method : methods) {
        if (isCancelled()) {
            break;
        }
        const Attempt result = co_await attempt(self, method, target, pid, *baseline, lastPressed);
        switch (result.kind) {
        case Attempt::Kind::opened:
            co_return self->opened(result.method, target,
                                   result.method != PressMethod::hiddenPress || remember);
        case Attempt::Kind::noItem:
            if (method == PressMethod::hiddenPress) {
                continue;
            }
            co_return PressOutcome::notFound();
        case Attempt::Kind::notOpened:
            lastPressed = method;
            continue;
        case Attempt::Kind::revealFailed:
            // A hidden press that opens the menu after a failed reveal is not remembered.
            remember = false;
            continue;
        }
    }

    if (lastPressed) {
        const auto late = co_await lateOpened(self, pid, *baseline);
        if (late) {
            co_return self->opened(*lastPressed, target,
                                   *lastPressed != PressMethod::hiddenPress || remember);
        }
    }

    self->memory_.forget(bundleID);
    log.notice("押しても開きませんでした（{}・{} 番目）", bundleID, target.index);
    if (isCancelled()) {
        co_return PressOutcome::notOpened();
    }
    if (hidden || self->leftShown_.contains(bundleID)) {
        co_await leaveShown(self, target, pid);
    }
    co_return PressOutcome::notOpened();
}

Task<ItemPresser::Attempt> ItemPresser::attempt(std::shared_ptr<ItemPresser> self, PressMethod method,
                                                PressTarget target, std::int32_t pid, WindowNumbers baseline,
                                                std::optional<PressMethod> lastPressed) {
    const core::Log& log = PressLog::press();
    if (lastPressed) {
        const auto late = co_await lateOpened(self, pid, baseline);
        if (late) {
            co_return Attempt{Attempt::Kind::opened, *lastPressed};
        }
    }

    if (method != PressMethod::revealPress) {
        const Watch watch =
            co_await pressAndWatch(self, target, pid, std::nullopt, std::nullopt, std::nullopt, baseline);
        switch (watch.kind) {
        case Watch::Kind::opened:
            co_return Attempt{Attempt::Kind::opened, method};
        case Watch::Kind::noItem:
            co_return Attempt{Attempt::Kind::noItem, method};
        case Watch::Kind::noMenu:
            co_return Attempt{Attempt::Kind::notOpened, method};
        }
    }

    std::optional<RevealTicket> ticket;
    if (auto revealer = self->revealer_.lock()) {
        // The revealer stays alive until its answer is in.
        auto granted = co_await revealer->beginReveal(target.bundleID);
        ticket = granted;
    }
    if (!ticket) {
        log.notice("一時的に見せられませんでした（{}）", target.bundleID);
        co_return Attempt{Attempt::Kind::revealFailed, method};
    }

    if (lastPressed) {
        // Showing the application took a while: the earlier press may have opened its menu meanwhile.
        const auto late = co_await lateOpened(self, pid, baseline);
        if (late) {
            self->hold(*ticket, pid, std::nullopt, *late, self->settings_.revealHold);
            co_return Attempt{Attempt::Kind::opened, *lastPressed};
        }
    }

    co_await waitPlaced(self, target, pid);
    const Watch watch =
        co_await pressAndWatch(self, target, pid, std::nullopt, std::nullopt, std::nullopt, baseline);
    if (watch.kind == Watch::Kind::opened) {
        // The reveal stays until the hold ends it.
        self->hold(*ticket, pid, std::nullopt, watch.opened, self->settings_.revealHold);
        co_return Attempt{Attempt::Kind::opened, PressMethod::revealPress};
    }
    if (auto revealer = self->revealer_.lock()) {
        revealer->endReveal(*ticket);
    }
    co_return Attempt{watch.kind == Watch::Kind::noItem ? Attempt::Kind::noItem : Attempt::Kind::notOpened,
                      method};
}

Task<ItemPresser::Watch> ItemPresser::pressAndWatch(std::shared_ptr<ItemPresser> self, PressTarget target,
                                                    std::int32_t pid,
                                                    std::optional<std::vector<std::int32_t>> watch,
                                                    std::optional<std::string> identifier,
                                                    std::optional<Duration> wait, WindowNumbers baseline) {
    const std::vector<std::int32_t> watched = watch.value_or(std::vector<std::int32_t>{pid});
    const auto accessibility = self->accessibility_;

    const int index = target.index;
    auto pressJob = [accessibility, pid, identifier, index] {
        return identifier ? accessibility->press(pid, *identifier, pressTimeout)
                          : accessibility->press(pid, index, pressTimeout);
    };
    const PressCall call = co_await offMain(self->offMain_, std::move(pressJob));
    switch (call.kind()) {
    case PressCall::Kind::noItem:
        co_return Watch{Watch::Kind::noItem, {}};
    case PressCall::Kind::failed:
        PressLog::press().notice("押せませんでした（{}・AX {}）", target.bundleID, call.code());
        co_return Watch{Watch::Kind::noMenu, {}};
    case PressCall::Kind::sent:
        break;
    }

    const Duration limit = wait.value_or(self->settings_.openWait);
    const Instant start = self->now_();
    for (;;) {
        auto windowsJob = [accessibility, watched] { return windows(*accessibility, watched); };
        const std::optional<WindowNumbers> current = co_await offMain(self->offMain_, std::move(windowsJob));
        if (current) {
            WindowNumbers opened = added(*current, baseline);
            if (!opened.empty()) {
                co_return Watch{Watch::Kind::opened, std::move(opened)};
            }
        }
        if (self->now_() - start < limit && !isCancelled()) {
            co_await self->sleep_(watchInterval);
            continue;
        }
        co_return Watch{Watch::Kind::noMenu, {}};
    }
}

void ItemPresser::hold(const RevealTicket& ticket, std::int32_t pid,
                       std::optional<std::vector<std::int32_t>> watch, WindowNumbers opened, Duration limit) {
    holdTasks_.insert_or_assign(
        ticket.id, concurrency::spawn(executor_, holdTask(weak_from_this(), ticket, pid, std::move(watch),
                                                          std::move(opened), limit)));
}

Task<void> ItemPresser::holdTask(std::weak_ptr<ItemPresser> weak, RevealTicket ticket, std::int32_t pid,
                                 std::optional<std::vector<std::int32_t>> watch, WindowNumbers opened,
                                 Duration limit) {
    std::shared_ptr<ItemPresser> presser = weak.lock();
    if (!presser) {
        co_return;
    }
    // Copies of what the hold needs, so that it gives its ticket back also when
    // the presser goes meanwhile, and never keeps the presser alive.
    const auto accessibility = presser->accessibility_;
    const OffMain runner = presser->offMain_;
    const concurrency::Now now = presser->now_;
    const concurrency::Sleep sleep = presser->sleep_;
    const std::weak_ptr<PressRevealing> revealer = presser->revealer_;
    presser.reset();

    const std::vector<std::int32_t> watched = watch.value_or(std::vector<std::int32_t>{pid});
    const Instant start = now();
    while (now() - start < limit) {
        co_await sleep(holdInterval);
        if (isCancelled()) {
            break;
        }
        auto windowsJob = [accessibility, watched] { return windows(*accessibility, watched); };
        const std::optional<WindowNumbers> current = co_await offMain(runner, std::move(windowsJob));
        // Every window that opened has closed (or the list cannot be read): the menu is done.
        if (!current || !sharesAny(*current, opened)) {
            break;
        }
    }
    if (auto owner = revealer.lock()) {
        owner->endReveal(ticket);
    }
    if (auto self = weak.lock()) {
        self->holdTasks_.erase(ticket.id);
    }
}

PressOutcome ItemPresser::opened(PressMethod method, const PressTarget& target, bool remember) {
    if (remember) {
        memory_.record(method, target.bundleID);
    }
    PressLog::press().info("開きました（{}・{}）", target.bundleID, core::rawValue(method));
    return PressOutcome::opened(method);
}

Task<std::optional<WindowNumbers>> ItemPresser::lateOpened(std::shared_ptr<ItemPresser> self,
                                                           std::int32_t pid, WindowNumbers baseline) {
    const auto accessibility = self->accessibility_;
    auto windowsJob = [accessibility, pid] { return accessibility->windows(pid); };
    const std::optional<WindowNumbers> current = co_await offMain(self->offMain_, std::move(windowsJob));
    if (!current) {
        co_return std::nullopt;
    }
    WindowNumbers opened = added(*current, baseline);
    if (opened.empty()) {
        co_return std::nullopt;
    }
    co_return opened;
}

Task<void> ItemPresser::waitPlaced(std::shared_ptr<ItemPresser> self, PressTarget target, std::int32_t pid) {
    const core::Log& log = PressLog::press();
    const auto accessibility = self->accessibility_;
    const int index = target.index;
    const Instant start = self->now_();
    int polls = 0;
    for (;;) {
        auto placedJob = [accessibility, pid, index] { return accessibility->isPlaced(pid, index); };
        const std::optional<bool> placed = co_await offMain(self->offMain_, std::move(placedJob));
        if (placed == true) {
            if (polls >= 1) {
                log.info("アイコンが置かれるのを待ちました（{}・{}）", target.bundleID,
                         milliseconds(self->now_() - start));
            }
            co_return;
        }
        // The limit follows the latest poll: longer while the frame cannot be read at all.
        const Duration limit = placed ? self->settings_.placeWait : unreadablePlaceWait;
        if (self->now_() - start < limit && !isCancelled()) {
            ++polls;
            co_await self->sleep_(placeInterval);
            continue;
        }
        log.notice("アイコンがメニューバーに置かれないまま押します（{}）", target.bundleID);
        co_return;
    }
}

void ItemPresser::endLeftShown(const std::string& bundleID) {
    auto entry = leftShown_.find(bundleID);
    if (entry == leftShown_.end()) {
        return;
    }
    LeftShown old = std::move(entry->second);
    leftShown_.erase(entry);
    old.task.cancel();
    if (auto revealer = revealer_.lock()) {
        revealer->endReveal(old.ticket);
    }
}

Task<void> ItemPresser::leaveShown(std::shared_ptr<ItemPresser> self, PressTarget target, std::int32_t pid) {
    const core::Log& log = PressLog::press();
    const std::string bundleID = target.bundleID;
    std::optional<RevealTicket> ticket;
    if (auto revealer = self->revealer_.lock()) {
        auto granted = co_await revealer->beginReveal(bundleID, RevealPurpose::leaveShown);
        ticket = granted;
    }
    if (!ticket) {
        log.notice("メニューバーに出しておけませんでした（{}）", bundleID);
        co_return;
    }
    // The new reveal is in force before the old one is given back, so the
    // application never disappears in between.
    self->endLeftShown(bundleID);

    co_await waitPlaced(self, target, pid);
    const auto accessibility = self->accessibility_;
    auto windowsJob = [accessibility, pid] { return accessibility->windows(pid); };
    const std::optional<WindowNumbers> baseline = co_await offMain(self->offMain_, std::move(windowsJob));
    log.notice("押しても開かないので、メニューバーに {} 秒出しておきます（{}）",
               std::chrono::duration_cast<std::chrono::seconds>(self->settings_.leaveShownHold).count(),
               bundleID);

    auto task =
        concurrency::spawn(self->executor_, leaveShownWatch(self->weak_from_this(), *ticket, pid, baseline));
    // Another leave-shown for the application may have finished while this one
    // waited; the newer reveal takes over from it.
    self->endLeftShown(bundleID);
    self->leftShown_.insert_or_assign(bundleID, LeftShown{*ticket, std::move(task)});
}

Task<void> ItemPresser::leaveShownWatch(std::weak_ptr<ItemPresser> weak, RevealTicket ticket,
                                        std::int32_t pid, std::optional<WindowNumbers> baseline) {
    std::shared_ptr<ItemPresser> presser = weak.lock();
    if (!presser) {
        co_return;
    }
    const auto accessibility = presser->accessibility_;
    const OffMain runner = presser->offMain_;
    const concurrency::Now now = presser->now_;
    const concurrency::Sleep sleep = presser->sleep_;
    const std::weak_ptr<PressRevealing> revealer = presser->revealer_;
    const Duration least = presser->settings_.leaveShownHold;
    const Duration most = presser->settings_.leaveShownLimit;
    presser.reset();

    const Instant start = now();
    std::optional<Instant> quietSince;
    co_await sleep(leaveShownInterval);
    for (;;) {
        if (isCancelled()) {
            // Whoever cancelled the watch has given the reveal back.
            co_return;
        }
        const Duration elapsed = now() - start;
        if (elapsed < least) {
            co_await sleep(leaveShownInterval);
            continue;
        }
        if (elapsed < most && baseline) {
            auto windowsJob = [accessibility, pid] { return accessibility->windows(pid); };
            const std::optional<WindowNumbers> current = co_await offMain(runner, std::move(windowsJob));
            // An unreadable list counts as a menu being open.
            if (!current || !added(*current, *baseline).empty()) {
                quietSince.reset();
                co_await sleep(leaveShownInterval);
                continue;
            }
            if (!quietSince) {
                quietSince = now();
            }
            if (now() - *quietSince < leaveShownGrace) {
                co_await sleep(leaveShownInterval);
                continue;
            }
        }
        break;
    }
    if (isCancelled()) {
        co_return;
    }
    PressLog::press().info("出しておいたアイコンを戻します（{}）", ticket.bundleID);
    if (auto owner = revealer.lock()) {
        owner->endReveal(ticket);
    }
    if (auto self = weak.lock()) {
        auto entry = self->leftShown_.find(ticket.bundleID);
        // A newer leave-shown for the application is left alone.
        if (entry != self->leftShown_.end() && entry->second.ticket == ticket) {
            self->leftShown_.erase(entry);
        }
    }
}

} // namespace pellacor::system
