#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the stand-in work: shows or hides the user-switcher stand-in item.
void Coordinator::updateStandIn() {}

// Filled in by the stand-in work: learns from a full read whether the real user
// switcher is on the bar.
void Coordinator::noteUserSwitcher(const system::ItemReading::Result& result, std::optional<int> mark) {
    (void)result;
    (void)mark;
}

} // namespace pellacor::coordinator
