#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the stand-in work: shows or hides the user-switcher stand-in item.
void Coordinator::updateStandIn() {}

} // namespace pellacor::coordinator
