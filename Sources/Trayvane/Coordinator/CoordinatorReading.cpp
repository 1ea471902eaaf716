#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the reading work: the quick reads after a launch.
void Coordinator::scheduleQuickRead(const std::string& bundleID) {
    (void)bundleID;
}

// Filled in by the reading work: the rereads after a launch.
void Coordinator::scheduleReread() {}

} // namespace pellacor::coordinator
