#include "MenuBarCore/Pressing/PressMemory.h"

#include <algorithm>

namespace pellacor::core {

const std::vector<PressMethod>& PressMemory::hiddenOrder() {
    static const std::vector<PressMethod> order{PressMethod::revealPress, PressMethod::hiddenPress};
    return order;
}

std::vector<PressMethod> PressMemory::order(const std::string& key, bool hidden) const {
    if (!hidden) {
        return {PressMethod::direct};
    }
    std::vector<PressMethod> result = hiddenOrder();
    auto entry = worked.find(key);
    if (entry == worked.end()) {
        return result;
    }
    auto place = std::find(result.begin(), result.end(), entry->second);
    if (place == result.end()) {
        return result;
    }
    // Move the remembered method to the front; the others keep their order.
    std::rotate(result.begin(), place, place + 1);
    return result;
}

std::optional<PressMethod> PressMemory::remembered(const std::string& key) const {
    auto entry = worked.find(key);
    if (entry == worked.end()) {
        return std::nullopt;
    }
    return entry->second;
}

void PressMemory::record(PressMethod method, const std::string& key) {
    if (method == PressMethod::direct || method == PressMethod::liftPress) {
        return;
    }
    worked.insert_or_assign(key, method);
}

void PressMemory::forget(const std::string& key) {
    worked.erase(key);
}

} // namespace pellacor::core
