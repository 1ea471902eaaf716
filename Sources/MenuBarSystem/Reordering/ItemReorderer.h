#pragma once

#include "Concurrency/SerialQueue.h"
#include "MenuBarSystem/Private/MenuBarLayoutShim.h"
#include "MenuBarSystem/Reordering/ItemReordering.h"
#include "Platform/FileManager.h"
#include "Platform/PreferencesDomain.h"

#include <memory>
#include <string>
#include <string_view>

namespace pellacor::system {

// The layout table service: each call runs as one block on the reorderer queue,
// so the read, compare and write of one call never interleave with another. The
// queue is one for the whole process (labelled `queueLabel()`, made by whoever
// composes the program and handed to every reorderer), so this holds across
// every reorderer.
class ItemReorderer final : public ItemReordering {
public:
    // Appended to the bundle identifier to label the queue.
    static constexpr std::string_view queueSuffix = ".reorderer";

    ItemReorderer(std::shared_ptr<concurrency::SerialQueue> queue,
                  std::shared_ptr<platform::PreferencesDomain> preferences,
                  std::shared_ptr<platform::FileManager> fileManager);

    // The label of the reorderer queue.
    static std::string queueLabel();

    concurrency::Task<SystemResult<core::LayoutTable>> readTable() override;
    // Entries whose position is not finite are refused as
    // `unavailable(layoutWriteRejected)` before anything is written: the system's
    // table could never order them, and they would never read back.
    concurrency::Task<SystemResult<core::LayoutTable>> write(core::LayoutTable entries,
                                                             core::LayoutTable expected) override;

    // The work of each call, as it runs on the queue.
    static SystemResult<core::LayoutTable> readNow(const MenuBarLayoutShim& shim);
    static SystemResult<core::LayoutTable> writeNow(const MenuBarLayoutShim& shim,
                                                    const core::LayoutTable& entries,
                                                    const core::LayoutTable& expected);

    const std::shared_ptr<concurrency::SerialQueue>& queue() const noexcept { return queue_; }

private:
    static concurrency::Task<SystemResult<core::LayoutTable>>
    runRead(std::shared_ptr<concurrency::SerialQueue> queue, MenuBarLayoutShim shim);
    static concurrency::Task<SystemResult<core::LayoutTable>>
    runWrite(std::shared_ptr<concurrency::SerialQueue> queue, MenuBarLayoutShim shim,
             core::LayoutTable entries, core::LayoutTable expected);

    std::shared_ptr<concurrency::SerialQueue> queue_;
    MenuBarLayoutShim shim_;
};

} // namespace pellacor::system
