#include "MenuBarSystem/Safety/HealthProblem.h"

namespace pellacor::system {

std::string toString(const HealthProblem& problem) {
    using Kind = HealthProblem::Kind;
    switch (problem.kind()) {
    case Kind::cannotRead:
        return "cannotRead(" + toString(*problem.reason()) + ")";
    case Kind::readTimedOut:
        return "readTimedOut";
    case Kind::noItems:
        return "noItems";
    case Kind::ownItemMissing:
        return "ownItemMissing";
    case Kind::hidingComponentMissing:
        return "hidingComponentMissing";
    case Kind::notInApplicationsFolder:
        return "notInApplicationsFolder";
    case Kind::hidingDidNotTakeEffect:
        return "hidingDidNotTakeEffect";
    }
    return "hidingDidNotTakeEffect";
}

} // namespace pellacor::system
