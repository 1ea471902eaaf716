#include "MenuBarSystem/Pressing/SystemItemTarget.h"

#include "MenuBarCore/Planning/UserSwitcherStandIn.h"
#include "MenuBarCore/Support/HashCombine.h"

#include <fmt/format.h>

namespace pellacor::system {

const SystemItemTarget& SystemItemTarget::userSwitcher() {
    static const SystemItemTarget target(std::string(core::UserSwitcherStandIn::ownerBundleID),
                                         std::string(core::UserSwitcherStandIn::identifier),
                                         {"com.apple.controlcenter"});
    return target;
}

std::string toString(const SystemItemTarget& target) {
    return fmt::format("SystemItemTarget({}・{})", target.ownerBundleID, target.identifier);
}

} // namespace pellacor::system

std::size_t std::hash<pellacor::system::SystemItemTarget>::operator()(
    const pellacor::system::SystemItemTarget& target) const noexcept {
    std::size_t seed = 0;
    pellacor::core::hashCombine(seed, target.ownerBundleID);
    pellacor::core::hashCombine(seed, target.identifier);
    for (const auto& owner : target.menuOwnerBundleIDs) {
        pellacor::core::hashCombine(seed, owner);
    }
    return seed;
}
