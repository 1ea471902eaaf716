#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <utility>
#include <variant>

namespace pellacor::coordinator {

using core::OrderPlanner;

namespace {

// The distinct bundle identifiers of layout keys, sorted and joined by ","; keys
// that do not parse are left out.
std::string bundleList(const std::vector<std::string>& keys) {
    std::set<std::string> bundles;
    for (const auto& key : keys) {
        if (auto parsed = OrderPlanner::parse(key)) {
            bundles.insert(parsed->bundleID);
        }
    }
    return fmt::format("{}", fmt::join(bundles, ","));
}

std::vector<std::string> keysOf(const core::LayoutTable& table) {
    std::vector<std::string> keys;
    keys.reserve(table.size());
    for (const auto& [key, value] : table) {
        keys.push_back(key);
    }
    return keys;
}

// The bar's order, the missing applications at the far left, each further left than the one before.
core::LayoutTable withMissingAtLeft(const core::LayoutTable& table, const std::vector<std::string>& missing) {
    core::LayoutTable extended = table;
    double largest = table.empty() ? 0.0 : table.begin()->second;
    for (const auto& [key, value] : table) {
        largest = std::max(largest, value);
    }
    double step = 0;
    for (const auto& key : missing) {
        extended[key] = largest + ++step;
    }
    return extended;
}

bool isFolderNotGranted(const system::SystemResult<core::LayoutTable>& result) {
    return result.reason() == system::UnavailableReason::layoutFolderNotGranted;
}

} // namespace

void Coordinator::mergeRequest(std::optional<bool>& stored, bool reordered) {
    stored = stored.value_or(false) || reordered;
}

std::shared_ptr<Coordinator> Coordinator::lockForWriting(const std::weak_ptr<Coordinator>& weak,
                                                         bool reordered) {
    auto self = weak.lock();
    if (self && !self->canWriteNow()) {
        mergeRequest(self->deferredOrder, reordered);
        return nullptr;
    }
    return self;
}

bool Coordinator::canWriteNow() const {
    return !isShutDown && reorderer && isWritableState(effectiveState());
}

std::set<core::AppKey> Coordinator::runningApps() const {
    std::set<core::AppKey> running;
    for (const auto& bundleID : appWatcher->runningBundleIDs()) {
        running.insert(core::AppKey(bundleID));
    }
    return running;
}

std::map<core::AppKey, int> Coordinator::shownIconCounts() const {
    const std::set<core::AppKey> running = runningApps();
    std::map<core::AppKey, int> counts;
    for (const auto& snapshot : items) {
        const core::AppKey owner = snapshot.owner();
        if (running.contains(owner)) {
            ++counts[owner];
        }
    }
    std::set<core::AppKey> listed = knownOwners;
    for (const auto& [app, section] : profile.sections) {
        listed.insert(app);
    }
    for (const auto& app : listed) {
        if (running.contains(app)) {
            counts.try_emplace(app, 1);
        }
    }
    std::erase_if(counts, [this](const auto& entry) {
        const core::AppKey& app = entry.first;
        return app.isApple() || app.bundleID() == selfBundleID ||
               profile.section(app) != core::Section::shown;
    });
    return counts;
}

void Coordinator::setProfile(core::Profile next) {
    if (isShutDown) {
        return;
    }
    if (next.id() != profile.id()) {
        reorderWaitingForFolder = false;
    }
    profile = std::move(next);
    enforce();
}

concurrency::Task<OrderOutcome> Coordinator::applyOrder(bool reordered) {
    return runApplyOrder(weak_from_this(), reordered);
}

concurrency::Task<OrderOutcome> Coordinator::runApplyOrder(std::weak_ptr<Coordinator> weak, bool reordered) {
    auto self = weak.lock();
    if (!self || !self->reorderer || self->isShutDown) {
        co_return OrderOutcome::skipped();
    }
    const core::MenuBarState state = self->effectiveState();
    if (!isWritableState(state)) {
        mergeRequest(self->deferredOrder, reordered);
        core::Log::app().info("並べ替え：いまは書きません（状態 {}）。書いてよい状態に戻ったら書きます",
                              core::rawValue(state));
        co_return OrderOutcome::skipped();
    }
    if (self->isApplyingOrder) {
        mergeRequest(self->pendingOrder, reordered);
        co_return OrderOutcome::skipped();
    }
    self->isApplyingOrder = true;
    const std::shared_ptr<system::ItemReordering> service = self->reorderer;
    self.reset();

    OrderOutcome result = co_await applyOrderOnce(weak, reordered, service);
    while (true) {
        self = weak.lock();
        if (!self || !self->pendingOrder || !self->canWriteNow()) {
            break;
        }
        const bool next = *self->pendingOrder;
        self->pendingOrder.reset();
        self.reset();
        result = co_await applyOrderOnce(weak, next, service);
    }
    if (self) {
        if (self->pendingOrder) {
            mergeRequest(self->deferredOrder, *self->pendingOrder);
        }
        self->pendingOrder.reset();
        self->isApplyingOrder = false;
    }
    co_return result;
}

concurrency::Task<OrderOutcome> Coordinator::applyOrderOnce(std::weak_ptr<Coordinator> weak, bool reordered,
                                                            std::shared_ptr<system::ItemReordering> service) {
    OrderOutcome outcome = co_await applyOrderAttempt(weak, reordered, service);
    if (outcome.kind() == OrderOutcome::Kind::changedBeforeWrite) {
        if (!lockForWriting(weak, reordered)) {
            co_return OrderOutcome::skipped();
        }
        outcome = co_await applyOrderAttempt(weak, reordered, service);
        if (outcome.kind() == OrderOutcome::Kind::changedBeforeWrite) {
            outcome = OrderOutcome::failed();
        }
    }
    if (outcome.kind() == OrderOutcome::Kind::needsFolder && reordered) {
        if (auto self = weak.lock()) {
            self->reorderWaitingForFolder = true;
        }
    }
    co_return outcome;
}

concurrency::Task<OrderOutcome>
Coordinator::applyOrderAttempt(std::weak_ptr<Coordinator> weak, bool reordered,
                               std::shared_ptr<system::ItemReordering> service) {
    std::vector<core::AppKey> startOrder;
    core::Uuid startID;
    {
        auto self = weak.lock();
        if (!self) {
            co_return OrderOutcome::skipped();
        }
        startOrder = self->profile.order;
        startID = self->profile.id();
    }

    const auto read = co_await service->readTable();

    auto self = lockForWriting(weak, reordered);
    if (!self) {
        co_return OrderOutcome::skipped();
    }
    if (!read.isOk()) {
        co_return self->unreadTable(read);
    }
    const core::LayoutTable table = *read.value();
    const std::optional<core::LayoutTable> planned = self->plannedChanges(table, reordered);
    if (!planned) {
        co_return OrderOutcome::noControl();
    }
    const core::LayoutTable& changes = *planned;
    const core::Log log = core::Log::app();
    if (changes.empty()) {
        log.info("並べ替え：もう望む並びです（書きません）");
        self->reportAndAdopt(OrderPlanner::currentOrder(table, self->selfBundleID), startOrder, startID);
        co_return OrderOutcome::unchanged();
    }

    const std::string changed = bundleList(keysOf(changes));
    const int count = static_cast<int>(changes.size());
    self.reset();
    const auto written = co_await service->write(changes, table);

    self = weak.lock();
    if (!self) {
        co_return OrderOutcome::skipped();
    }
    if (written.isOk()) {
        log.info("並べ替え：配置表を書きました（{} 個・{}）", count, changed);
        self->reportAndAdopt(OrderPlanner::currentOrder(*written.value(), self->selfBundleID), startOrder,
                             startID);
        co_return OrderOutcome::written(count);
    }
    co_return unwrittenTable(written);
}

OrderOutcome Coordinator::unreadTable(const system::SystemResult<core::LayoutTable>& read) {
    if (isFolderNotGranted(read)) {
        core::Log::app().info("並べ替え：配置表のフォルダをまだ選んでもらっていません（書きません）");
        if (onLayoutOrder) {
            onLayoutOrder(std::nullopt);
        }
        return OrderOutcome::needsFolder();
    }
    core::Log::app().error("並べ替え：配置表を読めません（{}）", system::toString(read));
    return OrderOutcome::failed();
}

OrderOutcome Coordinator::unwrittenTable(const system::SystemResult<core::LayoutTable>& written) {
    if (written.reason() == system::UnavailableReason::layoutChanged) {
        core::Log::app().notice("並べ替え：決めてから書くまでに配置表が動きました（書かずに読み直します）");
        return OrderOutcome::changedBeforeWrite();
    }
    core::Log::app().error("並べ替え：配置表を書けません（{}）", system::toString(written));
    return OrderOutcome::failed();
}

std::optional<core::LayoutTable> Coordinator::plannedChanges(const core::LayoutTable& table,
                                                             bool reordered) const {
    const core::Log log = core::Log::app();
    core::Profile planned = profile;
    const std::vector<std::string> missing =
        OrderPlanner::missingShownKeys(table, planned, selfBundleID, shownIconCounts());
    if (!missing.empty()) {
        log.info("並べ替え：配置表に無い「表示」のアプリを書き足します（{}）", bundleList(missing));
    }
    const std::set<core::AppKey> running = runningApps();
    const std::vector<std::string> apple =
        OrderPlanner::appleKeysLeftOfControl(table, selfBundleID, {standInItemName}, running);
    if (!apple.empty()) {
        log.info("並べ替え：操作口の左にある Apple のアイコンを右へ寄せます（{}）", bundleList(apple));
    }
    if (!reordered) {
        planned.order = OrderPlanner::currentOrder(withMissingAtLeft(table, missing), selfBundleID);
    }

    std::set<core::AppKey> movable = running;
    for (const auto& [app, section] : planned.sections) {
        movable.insert(app);
    }
    std::optional<std::string> followName;
    std::set<std::string> keepNames;
    if (isUserSwitcherStandInShown) {
        followName = standInItemName;
    } else {
        keepNames.insert(standInItemName);
    }
    const OrderPlanner::PlanResult plan =
        OrderPlanner::plan(table, planned, selfBundleID, keepNames, followName, movable, missing, apple);
    if (std::holds_alternative<OrderPlanner::Refusal>(plan)) {
        log.error("並べ替え：配置表に操作口のキーが無いか、2つあります（書きません）");
        return std::nullopt;
    }
    return std::get<core::LayoutTable>(plan);
}

void Coordinator::reportAndAdopt(const std::vector<core::AppKey>& barOrder,
                                 const std::vector<core::AppKey>& startOrder, const core::Uuid& startID) {
    if (onLayoutOrder) {
        onLayoutOrder(barOrder);
    }
    if (profile.order == barOrder) {
        return;
    }
    // Somebody else changed the profile during the awaits: their order stands.
    if (profile.order != startOrder || profile.id() != startID || isShutDown) {
        return;
    }
    core::Profile adopted = profile;
    adopted.order = barOrder;
    setProfile(adopted);
    if (onProfileChange) {
        onProfileChange(adopted);
    }
}

concurrency::Task<void> Coordinator::refreshLayoutOrder() {
    return runRefreshLayoutOrder(weak_from_this());
}

concurrency::Task<void> Coordinator::runRefreshLayoutOrder(std::weak_ptr<Coordinator> weak) {
    std::shared_ptr<system::ItemReordering> service;
    {
        auto self = weak.lock();
        if (!self || self->isShutDown || !self->reorderer) {
            co_return;
        }
        service = self->reorderer;
    }
    const auto read = co_await service->readTable();
    auto self = weak.lock();
    if (!self || !self->onLayoutOrder) {
        co_return;
    }
    if (read.isOk()) {
        self->onLayoutOrder(OrderPlanner::currentOrder(*read.value(), self->selfBundleID));
    } else if (isFolderNotGranted(read)) {
        self->onLayoutOrder(std::nullopt);
    }
}

void Coordinator::schedulePlaceShown(Duration after) {
    if (!reorderer || isShutDown) {
        return;
    }
    placeShownTask.cancel();
    const int generation = ++placeShownGeneration;
    placeShownTask = concurrency::spawn(executor, placeShown(weak_from_this(), generation, after));
}

concurrency::Task<void> Coordinator::placeShown(std::weak_ptr<Coordinator> weak, int generation,
                                                Duration after) {
    if (after > Duration::zero()) {
        auto self = weak.lock();
        if (!self) {
            co_return;
        }
        // The sleep is the coordinator's own; copied, so the coordinator is not held meanwhile.
        const concurrency::Sleep sleep = self->sleep;
        self.reset();
        co_await sleep(after);
    }
    auto self = weak.lock();
    if (!self) {
        co_return;
    }
    if (!concurrency::isCancelled()) {
        auto placement = self->placeMissingShown();
        self.reset();
        (void)co_await std::move(placement);
        self = weak.lock();
        if (!self) {
            co_return;
        }
    }
    if (self->placeShownGeneration == generation) {
        self->placeShownTask = {};
    }
}

concurrency::Task<OrderOutcome> Coordinator::placeMissingShown() {
    return runPlaceMissingShown(weak_from_this());
}

concurrency::Task<OrderOutcome> Coordinator::runPlaceMissingShown(std::weak_ptr<Coordinator> weak) {
    std::shared_ptr<system::ItemReordering> service;
    {
        auto self = weak.lock();
        if (!self || !self->canWriteNow()) {
            co_return OrderOutcome::skipped();
        }
        const std::set<core::AppKey> running = self->runningApps();
        const bool appleRunning = std::ranges::any_of(running, [](const auto& app) { return app.isApple(); });
        if (self->shownIconCounts().empty() && !appleRunning) {
            co_return OrderOutcome::unchanged();
        }
        service = self->reorderer;
    }
    const auto read = co_await service->readTable();
    auto self = weak.lock();
    if (!self || !read.isOk() || !self->canWriteNow()) {
        co_return OrderOutcome::skipped();
    }
    const core::LayoutTable table = *read.value();
    const auto missing =
        OrderPlanner::missingShownKeys(table, self->profile, self->selfBundleID, self->shownIconCounts());
    const auto apple = OrderPlanner::appleKeysLeftOfControl(table, self->selfBundleID, {standInItemName},
                                                            self->runningApps());
    if (missing.empty() && apple.empty()) {
        co_return OrderOutcome::unchanged();
    }
    auto order = self->applyOrder(false);
    self.reset();
    co_return co_await std::move(order);
}

concurrency::Task<void> Coordinator::flushDeferredOrder(std::weak_ptr<Coordinator> weak, bool reordered) {
    // The request was taken by the state hub; the coordinator may be gone by the time this runs.
    (void)co_await runApplyOrder(std::move(weak), reordered);
}

} // namespace pellacor::coordinator
