#include "Trayvane/Coordinator/PauseReason.h"

#include "MenuBarSystem/Safety/HealthReport.h"

namespace pellacor::coordinator {

std::string toString(const PauseReason& reason) {
    switch (reason.kind()) {
    case PauseReason::Kind::healthProblems:
        return "healthProblems(" + system::toString(system::HealthReport{reason.problems()}) + ")";
    case PauseReason::Kind::manual:
        return "manual";
    case PauseReason::Kind::optionKeyAtLaunch:
        return "optionKeyAtLaunch";
    case PauseReason::Kind::osVersionChanged:
        return "osVersionChanged";
    case PauseReason::Kind::controlRemoved:
        return "controlRemoved";
    }
    return "manual";
}

} // namespace pellacor::coordinator
