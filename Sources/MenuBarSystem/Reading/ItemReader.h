#pragma once

#include "Concurrency/Time.h"
#include "MenuBarSystem/Reading/ItemReading.h"
#include "MenuBarSystem/Reading/MenuBarAccessibility.h"

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace pellacor::system {

// Reads the menu bar's status items by walking every running application's
// extras menu bar through accessibility. A read runs on a serial queue of its
// own kind, so the caller only awaits it: full reads on ".item-reader", reads
// limited to some owners on ".item-reader-owner" (each label after the bundle
// identifier), so a quick read for a newly launched application never waits
// behind a full read. A read ends with `timeout` once its deadline has passed,
// checked before each application and before each item, so one slow
// application cannot hold it much longer; partial results are never returned.
// Nothing is logged.
//
// Copies share the queues. The reader keeps no other state; destroy the last copy
// before the main executor (a read still queued then runs to its end first).
class ItemReader final : public ItemReading {
public:
    static constexpr concurrency::Duration defaultDeadline = std::chrono::seconds(4);
    // Every accessibility message of a read waits at most this long, in seconds.
    static constexpr float messagingTimeout = 0.25F;
    static constexpr std::string_view fullReadQueueSuffix = ".item-reader";
    static constexpr std::string_view ownerReadQueueSuffix = ".item-reader-owner";

    // The monotonic clock that keeps running while the machine sleeps; callable from any thread.
    static concurrency::Now continuousClock();

    // `now` measures the deadline; it is read on the reader's queues, so it must be thread-safe.
    explicit ItemReader(std::shared_ptr<const MenuBarAccessibility> accessibility,
                        concurrency::Duration deadline = defaultDeadline,
                        concurrency::Now now = continuousClock());

    const std::shared_ptr<const MenuBarAccessibility>& accessibility() const { return accessibility_; }
    concurrency::Duration deadline() const { return deadline_; }

    concurrency::Task<Result> readItems() override;
    concurrency::Task<Result> readItems(std::set<std::string> owners) override;

    // The read itself, on the caller's thread; no `owners` reads every application.
    static Result read(const MenuBarAccessibility& accessibility, concurrency::Duration deadline,
                       const std::optional<std::set<std::string>>& owners, const concurrency::Now& now);

private:
    struct Queues;
    enum class QueueKind { full, owner };

    static concurrency::Task<Result> readOnQueue(std::shared_ptr<Queues> queues, QueueKind kind,
                                                 std::shared_ptr<const MenuBarAccessibility> accessibility,
                                                 concurrency::Duration deadline, concurrency::Now now,
                                                 std::optional<std::set<std::string>> owners);

    std::shared_ptr<const MenuBarAccessibility> accessibility_;
    concurrency::Duration deadline_;
    concurrency::Now now_;
    std::shared_ptr<Queues> queues_;
};

} // namespace pellacor::system
