#pragma once

#include "Concurrency/Task.h"
#include "MenuBarCore/Planning/LayoutTable.h"
#include "MenuBarSystem/Support/SystemResult.h"

namespace pellacor::system {

// Reads and safely rewrites the system menu bar's layout table. Both calls do
// their work off the caller's thread and resume the awaiting task on its own
// executor. Neither gives `timeout` or `systemError`.
class ItemReordering {
public:
    virtual ~ItemReordering() = default;

    // The stored table; `unavailable(layoutFolderNotGranted)` or `unavailable(layoutTableMissing)`.
    virtual concurrency::Task<SystemResult<core::LayoutTable>> readTable() = 0;
    // Writes `entries` provided the stored table is still `expected`, and answers
    // the table read back: `unavailable(layoutFolderNotGranted)`,
    // `unavailable(layoutChanged)` (nothing written), `unavailable(layoutTableMissing)`
    // or `unavailable(layoutWriteRejected)` (an entry did not read back as written).
    virtual concurrency::Task<SystemResult<core::LayoutTable>> write(core::LayoutTable entries,
                                                                     core::LayoutTable expected) = 0;

protected:
    ItemReordering() = default;
    ItemReordering(const ItemReordering&) = default;
    ItemReordering& operator=(const ItemReordering&) = default;
};

} // namespace pellacor::system
