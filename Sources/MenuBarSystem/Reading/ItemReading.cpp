#include "MenuBarSystem/Reading/ItemReading.h"

#include <utility>

namespace pellacor::system {

concurrency::Task<ItemReading::Result> ItemReading::readItems(std::set<std::string> owners) {
    auto result = co_await readItems();
    co_return keepingOwners(std::move(result), owners);
}

ItemReading::Result ItemReading::keepingOwners(Result result, const std::set<std::string>& owners) {
    if (!result.isOk()) {
        return result;
    }
    auto items = std::move(result).value();
    std::vector<core::ItemSnapshot> kept;
    for (auto& item : *items) {
        if (owners.contains(item.ownerBundleID())) {
            kept.push_back(std::move(item));
        }
    }
    return Result::ok(std::move(kept));
}

} // namespace pellacor::system
