#include "Trayvane/Coordinator/OrderOutcome.h"

namespace pellacor::coordinator {

std::string toString(const OrderOutcome& outcome) {
    switch (outcome.kind()) {
    case OrderOutcome::Kind::written:
        return "written(" + std::to_string(outcome.count()) + ")";
    case OrderOutcome::Kind::unchanged:
        return "unchanged";
    case OrderOutcome::Kind::needsFolder:
        return "needsFolder";
    case OrderOutcome::Kind::noControl:
        return "noControl";
    case OrderOutcome::Kind::failed:
        return "failed";
    case OrderOutcome::Kind::skipped:
        return "skipped";
    case OrderOutcome::Kind::changedBeforeWrite:
        return "changedBeforeWrite";
    }
    return "skipped";
}

} // namespace pellacor::coordinator
