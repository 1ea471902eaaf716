#include "MenuBarCore/Matching/IdentityMatcher.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <utility>

namespace pellacor::coordinator {

using core::AppKey;
using core::ItemSnapshot;
using core::MenuBarState;
using namespace std::chrono_literals;

namespace {

// At most this many quick reads run at once; a later launch gets only the reread.
constexpr std::size_t quickReadLimit = 4;

} // namespace

std::optional<int> Coordinator::readMark() const {
    const auto unrestricted = core::VisibilityPlan::noRestriction();
    if (requestedPlan != unrestricted || visibility->currentPlan() != unrestricted || !unrestrictedSince ||
        now() - *unrestrictedSince < restrictionSettle) {
        return std::nullopt;
    }
    return restrictGeneration;
}

// -- Refresh --------------------------------------------------------------------

void Coordinator::refreshItems() {
    if (isShutDown || refreshTask) {
        return;
    }
    refreshTask =
        concurrency::spawn(executor, refreshRead(weak_from_this(), reader, readMark(), itemsGeneration));
}

concurrency::Task<void> Coordinator::refreshRead(std::weak_ptr<Coordinator> weak,
                                                 std::shared_ptr<system::ItemReading> reader,
                                                 std::optional<int> mark, int generation) {
    auto result = co_await reader->readItems();
    auto self = weak.lock();
    if (!self) {
        co_return;
    }
    self->refreshTask = {};
    if (self->isShutDown) {
        co_return;
    }
    self->noteUserSwitcher(result, mark);
    self->absorbReread(result, generation);
}

// -- Reread -----------------------------------------------------------------------

void Coordinator::scheduleReread() {
    ++rereadRequests;
    // A running task sees the new count when its cycle ends.
    if (rereadTask) {
        return;
    }
    rereadTask = concurrency::spawn(executor, runReread(weak_from_this()));
}

concurrency::Task<void> Coordinator::runReread(std::weak_ptr<Coordinator> weak) {
    co_await rereadLoop(weak);
    // In the same turn as the loop's last look at the request count, so a request
    // either bought another cycle or finds no task and starts one.
    if (auto self = weak.lock()) {
        self->rereadTask = {};
    }
}

concurrency::Task<void> Coordinator::rereadLoop(std::weak_ptr<Coordinator> weak) {
    std::vector<Duration> delays;
    concurrency::Sleep sleep;
    std::shared_ptr<system::ItemReading> reader;
    int seen = 0;
    {
        auto self = weak.lock();
        if (!self) {
            co_return;
        }
        delays = self->rereadDelays;
        sleep = self->sleep;
        reader = self->reader;
        seen = self->rereadRequests;
    }
    while (true) {
        for (std::size_t i = 0; i < delays.size(); ++i) {
            co_await sleep(delays[i]);
            int generation = 0;
            std::optional<int> mark;
            {
                auto self = weak.lock();
                if (isGoneOrStopped(self)) {
                    co_return;
                }
                generation = self->itemsGeneration;
                mark = self->readMark();
            }
            auto result = co_await reader->readItems();
            auto self = weak.lock();
            if (isGoneOrStopped(self)) {
                co_return;
            }
            self->noteUserSwitcher(result, mark);
            self->absorbReread(result, generation);
        }
        auto self = weak.lock();
        if (!self || self->rereadRequests == seen) {
            co_return;
        }
        // A request came during the cycle: one more full cycle.
        seen = self->rereadRequests;
    }
}

// -- Quick read -------------------------------------------------------------------

void Coordinator::scheduleQuickRead(const std::string& bundleID) {
    if (quickReadDelayList.empty() || base == MenuBarState::starting) {
        return;
    }
    if (quickReadTasks.contains(bundleID) || quickReadTasks.size() >= quickReadLimit) {
        return;
    }
    quickReadTasks[bundleID] = concurrency::spawn(executor, runQuickRead(weak_from_this(), bundleID));
}

concurrency::Task<void> Coordinator::runQuickRead(std::weak_ptr<Coordinator> weak, std::string bundleID) {
    co_await quickReadLoop(weak, bundleID);
    if (auto self = weak.lock()) {
        self->quickReadTasks.erase(bundleID);
    }
}

concurrency::Task<void> Coordinator::quickReadLoop(std::weak_ptr<Coordinator> weak, std::string bundleID) {
    std::vector<Duration> delays;
    concurrency::Sleep sleep;
    std::shared_ptr<system::ItemReading> reader;
    {
        auto self = weak.lock();
        if (!self) {
            co_return;
        }
        delays = self->quickReadDelayList;
        sleep = self->sleep;
        reader = self->reader;
    }
    const std::set<std::string> owners{bundleID};
    for (std::size_t i = 0; i < delays.size(); ++i) {
        co_await sleep(delays[i]);
        {
            auto self = weak.lock();
            if (isGoneOrStopped(self)) {
                co_return;
            }
        }
        auto result = co_await reader->readItems(owners);
        auto found = std::move(result).value();
        // Nothing yet (or no answer): the next delay.
        if (!found || found->empty()) {
            continue;
        }
        auto self = weak.lock();
        if (isGoneOrStopped(self)) {
            co_return;
        }
        std::vector<ItemSnapshot> merged;
        for (const auto& item : self->items) {
            if (item.ownerBundleID() != bundleID) {
                merged.push_back(item);
            }
        }
        merged.insert(merged.end(), found->begin(), found->end());
        const bool changed = self->absorbItems(std::move(merged));
        // Dates the find, so that a full read that began before it keeps it.
        self->quickFound[bundleID] = self->itemsGeneration;
        if (changed) {
            self->enforce();
        }
        co_return;
    }
}

// -- Absorbing --------------------------------------------------------------------

void Coordinator::absorbReread(const system::ItemReading::Result& result, std::optional<int> startedAt) {
    if (result.isUnavailable()) {
        if (*result.reason() == system::UnavailableReason::noAccessibilityPermission &&
            isShowingState(base)) {
            setBase(MenuBarState::needsPermission, std::nullopt);
        }
        return;
    }
    auto read = result.value();
    if (!read) {
        return;
    }
    std::vector<ItemSnapshot> list = std::move(*read);
    if (startedAt) {
        // Applications a quick read found after this read began, and that this
        // read lacks, keep their found items.
        std::set<std::string> owners;
        for (const auto& item : list) {
            owners.insert(item.ownerBundleID());
        }
        std::set<std::string> kept;
        for (const auto& [bundleID, generation] : quickFound) {
            if (generation > *startedAt && !owners.contains(bundleID)) {
                kept.insert(bundleID);
            }
        }
        for (const auto& item : items) {
            if (kept.contains(item.ownerBundleID())) {
                list.push_back(item);
            }
        }
    }
    const bool changed = absorbItems(std::move(list));
    if (base == MenuBarState::needsPermission) {
        // A read that succeeds while waiting for the permission means it is back.
        if (!knownUntrusted()) {
            beginStarting();
        }
    } else if (changed) {
        enforce();
    }
}

bool Coordinator::absorbItems(std::vector<ItemSnapshot> read) {
    const std::set<AppKey> oldKnown = knownOwners;
    for (const auto& item : read) {
        knownOwners.insert(item.owner());
    }

    core::Profile adopted = profile;
    std::set<AppKey> inProfile;
    for (const auto& [app, section] : profile.sections) {
        inProfile.insert(app);
    }
    const bool added = adopted.adopt(core::IdentityMatcher::newApps(read, inProfile), selfBundleID);
    if (added) {
        std::vector<std::string> newcomers;
        for (const auto& [app, section] : adopted.sections) {
            if (!profile.sections.contains(app)) {
                newcomers.push_back(app.bundleID());
            }
        }
        profile = adopted;
        core::Log::app().info("初めて見るアプリを「{}」に入れました（{}）",
                              core::rawValue(adopted.newItemSection), fmt::join(newcomers, ","));
        // The callback gets its own copy: it may hand the coordinator a new profile.
        if (onProfileChange) {
            onProfileChange(adopted);
        }
        if (adopted.newItemSection == core::Section::shown) {
            schedulePlaceShown(0s);
        }
    }

    std::map<AppKey, std::vector<ItemSnapshot>> byOwner;
    for (const auto& item : read) {
        byOwner[item.owner()].push_back(item);
    }
    for (auto& [owner, snapshots] : byOwner) {
        rememberedItems[owner] = std::move(snapshots);
    }
    for (const auto& item : read) {
        const int rank = static_cast<int>(firstSeenRank.size());
        firstSeenRank.try_emplace(item.owner(), rank);
    }

    if (read != items) {
        items = std::move(read);
        ++itemsGeneration;
        if (onItemsChange) {
            const std::vector<ItemSnapshot> changed = items;
            onItemsChange(changed);
        }
    }
    return added || knownOwners != oldKnown;
}

} // namespace pellacor::coordinator
