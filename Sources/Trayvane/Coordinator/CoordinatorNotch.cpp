#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the notch work: reacts to a changed notch or fold-rescue switch.
void Coordinator::notchSettingChanged() {}

// Filled in by the notch work: starts or stops the screen watch and the notch task.
void Coordinator::updateNotchWatch() {}

} // namespace pellacor::coordinator
