#pragma once

#include "MenuBarCore/Pressing/PressMethod.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::core {

// Which way last opened a hidden item's menu, per owning application, so that the
// next press of that application's item tries it first. Lives in memory only, as
// long as the presser that owns it.
class PressMemory {
public:
    PressMemory() = default;

    // The order tried for a hidden application when nothing is remembered.
    static const std::vector<PressMethod>& hiddenOrder();

    // The methods to try, in order, for an item of application `key`. An application
    // that is not hidden is pressed directly, whatever is remembered for it.
    std::vector<PressMethod> order(const std::string& key, bool hidden) const;

    std::optional<PressMethod> remembered(const std::string& key) const;

    // Only the hidden methods are worth remembering; `direct` and `liftPress` leave
    // the table as it is.
    void record(PressMethod method, const std::string& key);

    void forget(const std::string& key);

    // Keyed by the owner's bundle identifier; holds only `hiddenPress` and `revealPress`.
    std::map<std::string, PressMethod> worked;

    bool operator==(const PressMemory&) const = default;
};

} // namespace pellacor::core
