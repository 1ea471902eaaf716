#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the drag-sorting work: starts or stops the Command-drag watch.
void Coordinator::updateDragWatch() {}

} // namespace pellacor::coordinator
