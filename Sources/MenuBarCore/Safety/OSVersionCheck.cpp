#include "MenuBarCore/Safety/OSVersionCheck.h"

namespace pellacor::core {

OSVersionCheck OSVersionCheck::compare(const std::optional<std::string>& confirmed,
                                       const std::string& current) {
    if (!confirmed || confirmed->empty()) {
        return firstRun();
    }
    if (*confirmed == current) {
        return same();
    }
    return changed(*confirmed);
}

} // namespace pellacor::core
