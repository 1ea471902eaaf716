#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the trust work: the periodic Accessibility and own-item checks.
void Coordinator::startTrustChecks() {}

} // namespace pellacor::coordinator
