#pragma once

#include "Concurrency/Task.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarSystem/Support/SystemResult.h"

#include <set>
#include <string>
#include <vector>

namespace pellacor::system {

// Reads the status items currently on the right side of the menu bar. Both
// calls are awaited on the main executor; the reading itself happens elsewhere.
//
// A class that overrides only one `readItems` hides the other from calls made
// through its own type; it adds `using ItemReading::readItems;`.
class ItemReading {
public:
    using Result = SystemResult<std::vector<core::ItemSnapshot>>;

    virtual ~ItemReading() = default;

    // All items: applications in workspace order, each one's items in their order.
    virtual concurrency::Task<Result> readItems() = 0;

    // The items of the applications with these bundle identifiers. By default a
    // full read, keeping the snapshots of those owners in their order; a read that
    // is unavailable or timed out passes through unchanged.
    virtual concurrency::Task<Result> readItems(std::set<std::string> owners);

    // The part of a read that belongs to the owners.
    static Result keepingOwners(Result result, const std::set<std::string>& owners);

protected:
    ItemReading() = default;
    ItemReading(const ItemReading&) = default;
    ItemReading& operator=(const ItemReading&) = default;
};

} // namespace pellacor::system
