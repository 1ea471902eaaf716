#pragma once

#include "MenuBarSystem/Reordering/ItemReordering.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <utility>
#include <vector>

namespace pellacor::testing {

// The layout-table service over an in-memory `table`. Unscripted reads answer
// the table; an unscripted write merges its entries and answers the table read
// back, or `layoutChanged` when the table is no longer the one expected. With
// `folderGranted` false every unscripted call answers `layoutFolderNotGranted`.
class FakeItemReorderer final : public system::ItemReordering {
public:
    ~FakeItemReorderer() override;

    using Result = system::SystemResult<core::LayoutTable>;

    explicit FakeItemReorderer(concurrency::MainExecutor& executor)
        : reads(executor), writes(executor), executor_(executor) {}

    core::LayoutTable table;
    bool folderGranted = true;
    ScriptedReplies<Result> reads;
    ScriptedReplies<Result> writes;
    // The entries of every write, in order.
    std::vector<core::LayoutTable> written;
    // When each read and each write was made, in virtual time.
    std::vector<concurrency::Duration> readTimes;
    std::vector<concurrency::Duration> writeTimes;
    FakeCallLog log;

    concurrency::Task<Result> readTable() override {
        log.note("readTable");
        readTimes.push_back(executor_.now().time_since_epoch());
        if (!folderGranted) {
            return reads.next(notGranted());
        }
        return reads.next(Result::ok(table));
    }
    concurrency::Task<Result> write(core::LayoutTable entries, core::LayoutTable expected) override {
        log.note("write(" + std::to_string(entries.size()) + ")");
        written.push_back(entries);
        writeTimes.push_back(executor_.now().time_since_epoch());
        if (!folderGranted) {
            return writes.next(notGranted());
        }
        if (expected != table) {
            return writes.next(Result::unavailable(system::UnavailableReason::layoutChanged));
        }
        core::LayoutTable merged = table;
        for (auto& [key, value] : entries) {
            merged[key] = value;
        }
        if (writes.scriptedCount() == 0) {
            table = merged;
        }
        return writes.next(Result::ok(merged));
    }

private:
    concurrency::MainExecutor& executor_;

    static Result notGranted() {
        return Result::unavailable(system::UnavailableReason::layoutFolderNotGranted);
    }
};

} // namespace pellacor::testing
