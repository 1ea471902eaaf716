#include "MenuBarCore/Planning/OwnItemPlacement.h"

namespace pellacor::core {

std::optional<bool> OwnItemPlacement::judgeReplicas(int count, bool& seenBefore) {
    if (count > 0) {
        seenBefore = true;
        return true;
    }
    if (seenBefore) {
        return false;
    }
    return std::nullopt;
}

} // namespace pellacor::core
