#include "MenuBarCore/Planning/VisibilityPlan.h"

namespace pellacor::core {

std::string VisibilityPlan::description() const {
    const auto* bundleIDs = allowedBundleIDs();
    if (bundleIDs == nullptr) {
        return "noRestriction";
    }
    std::string text = "allow(";
    for (std::size_t i = 0; i < bundleIDs->size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += (*bundleIDs)[i];
    }
    text += ")";
    return text;
}

} // namespace pellacor::core
