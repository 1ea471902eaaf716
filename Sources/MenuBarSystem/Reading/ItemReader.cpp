#include "MenuBarSystem/Reading/ItemReader.h"

#include "Concurrency/SerialQueue.h"
#include "MenuBarCore/Matching/IdentityName.h"
#include "MenuBarCore/Support/AppIdentity.h"

#include <ctime>
#include <type_traits>
#include <utility>
#include <variant>

namespace pellacor::system {

struct ItemReader::Queues {
    concurrency::SerialQueue full{std::string(core::bundleIdentifier) + std::string(fullReadQueueSuffix)};
    concurrency::SerialQueue owner{std::string(core::bundleIdentifier) + std::string(ownerReadQueueSuffix)};
};

concurrency::Now ItemReader::continuousClock() {
    // The boot-time clock, unlike the steady clock, also counts the time the
    // machine slept, so a read that spans a sleep is not taken for a quick one.
    return [] {
        timespec time{};
        clock_gettime(CLOCK_BOOTTIME, &time);
        return concurrency::Instant(std::chrono::duration_cast<concurrency::Duration>(
            std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec)));
    };
}

ItemReader::ItemReader(std::shared_ptr<const MenuBarAccessibility> accessibility,
                       concurrency::Duration deadline, concurrency::Now now)
    : accessibility_(std::move(accessibility)), deadline_(deadline), now_(std::move(now)),
      queues_(std::make_shared<Queues>()) {}

concurrency::Task<ItemReading::Result> ItemReader::readItems() {
    return readOnQueue(queues_, QueueKind::full, accessibility_, deadline_, now_, std::nullopt);
}

concurrency::Task<ItemReading::Result> ItemReader::readItems(std::set<std::string> owners) {
    return readOnQueue(queues_, QueueKind::owner, accessibility_, deadline_, now_, std::move(owners));
}

concurrency::Task<ItemReading::Result> ItemReader::readOnQueue(
    std::shared_ptr<Queues> queues, QueueKind kind, std::shared_ptr<const MenuBarAccessibility> accessibility,
    concurrency::Duration deadline, concurrency::Now now, std::optional<std::set<std::string>> owners) {
    auto job = [accessibility, deadline, now, owners] { return read(*accessibility, deadline, owners, now); };
    concurrency::SerialQueue& queue = kind == QueueKind::full ? queues->full : queues->owner;
    auto result = co_await queue.run(std::move(job));
    co_return result;
}

ItemReading::Result ItemReader::read(const MenuBarAccessibility& accessibility,
                                     concurrency::Duration deadline,
                                     const std::optional<std::set<std::string>>& owners,
                                     const concurrency::Now& now) {
    if (!accessibility.isTrusted()) {
        return Result::unavailable(UnavailableReason::noAccessibilityPermission);
    }
    const concurrency::Instant start = now();
    const MenuBarAccessibility::DeadlineCheck isPastDeadline = [&] { return now() - start >= deadline; };

    std::vector<core::ItemSnapshot> snapshots;
    for (const MenuBarAppInfo& app : accessibility.runningApps()) {
        if (!app.isAppBundle || !app.bundleID || app.bundleID->empty()) {
            continue;
        }
        const std::string& bundleID = *app.bundleID;
        if (owners && !owners->contains(bundleID)) {
            continue;
        }
        if (isPastDeadline()) {
            return Result::timeout();
        }
        auto outcome = accessibility.readExtras(app.pid, messagingTimeout, isPastDeadline);
        if (std::holds_alternative<ExtrasReadOutcome::DeadlinePassed>(outcome.value)) {
            return Result::timeout();
        }
        // A failure or a missing bar skips the application without a word.
        auto* items = std::get_if<ExtrasReadOutcome::Items>(&outcome.value);
        if (items == nullptr) {
            continue;
        }
        int index = 0;
        for (auto& raw : items->items) {
            snapshots.emplace_back(bundleID, app.pid, core::IdentityName::usableIdentifier(raw.identifier),
                                   std::move(raw.axDescription), std::move(raw.title), index, raw.frame);
            ++index;
        }
    }
    if (isPastDeadline()) {
        return Result::timeout();
    }
    return Result::ok(std::move(snapshots));
}

} // namespace pellacor::system
