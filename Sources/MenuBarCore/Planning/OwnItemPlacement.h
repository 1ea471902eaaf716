#pragma once

#include <optional>

namespace pellacor::core {

// Whether the program's own item is in place, judged from how many of its replicas
// the layout holds.
class OwnItemPlacement {
public:
    OwnItemPlacement() = delete;

    // Some replicas: in place (and remembered as seen). None: gone when it was seen
    // before, not decided yet when it never was.
    static std::optional<bool> judgeReplicas(int count, bool& seenBefore);
};

} // namespace pellacor::core
