#include "MenuBarSystem/Reordering/ItemReorderer.h"

#include "MenuBarCore/Support/AppIdentity.h"

#include <algorithm>
#include <cmath>

namespace pellacor::system {

using Result = SystemResult<core::LayoutTable>;

ItemReorderer::ItemReorderer(std::shared_ptr<concurrency::SerialQueue> queue,
                             std::shared_ptr<platform::PreferencesDomain> preferences,
                             std::shared_ptr<platform::FileManager> fileManager)
    : queue_(std::move(queue)), shim_(std::move(preferences), std::move(fileManager)) {}

std::string ItemReorderer::queueLabel() {
    return std::string(core::bundleIdentifier) + std::string(queueSuffix);
}

concurrency::Task<Result> ItemReorderer::readTable() {
    return runRead(queue_, shim_);
}

concurrency::Task<Result> ItemReorderer::write(core::LayoutTable entries, core::LayoutTable expected) {
    return runWrite(queue_, shim_, std::move(entries), std::move(expected));
}

Result ItemReorderer::readNow(const MenuBarLayoutShim& shim) {
    if (!shim.canAccess()) {
        return Result::unavailable(UnavailableReason::layoutFolderNotGranted);
    }
    auto table = shim.readTable();
    if (!table) {
        return Result::unavailable(UnavailableReason::layoutTableMissing);
    }
    return Result::ok(std::move(*table));
}

Result ItemReorderer::writeNow(const MenuBarLayoutShim& shim, const core::LayoutTable& entries,
                               const core::LayoutTable& expected) {
    if (!shim.canAccess()) {
        return Result::unavailable(UnavailableReason::layoutFolderNotGranted);
    }
    if (!std::all_of(entries.begin(), entries.end(),
                     [](const auto& entry) { return std::isfinite(entry.second); })) {
        return Result::unavailable(UnavailableReason::layoutWriteRejected);
    }
    const auto written = shim.write(entries, expected);
    switch (written.kind()) {
    case MenuBarLayoutShim::WriteResult::Kind::tableChanged:
        return Result::unavailable(UnavailableReason::layoutChanged);
    case MenuBarLayoutShim::WriteResult::Kind::tableMissing:
        return Result::unavailable(UnavailableReason::layoutTableMissing);
    case MenuBarLayoutShim::WriteResult::Kind::refused:
        return Result::unavailable(UnavailableReason::layoutWriteRejected);
    case MenuBarLayoutShim::WriteResult::Kind::written:
        break;
    }
    const auto& readBack = written.readBack();
    for (const auto& [key, position] : entries) {
        auto found = readBack.find(key);
        if (found == readBack.end() || found->second != position) {
            return Result::unavailable(UnavailableReason::layoutWriteRejected);
        }
    }
    return Result::ok(readBack);
}

concurrency::Task<Result> ItemReorderer::runRead(std::shared_ptr<concurrency::SerialQueue> queue,
                                                 MenuBarLayoutShim shim) {
    auto job = [shim] { return readNow(shim); };
    auto result = co_await queue->run(std::move(job));
    co_return result;
}

concurrency::Task<Result> ItemReorderer::runWrite(std::shared_ptr<concurrency::SerialQueue> queue,
                                                  MenuBarLayoutShim shim, core::LayoutTable entries,
                                                  core::LayoutTable expected) {
    auto job = [shim, entries, expected] { return writeNow(shim, entries, expected); };
    auto result = co_await queue->run(std::move(job));
    co_return result;
}

} // namespace pellacor::system
