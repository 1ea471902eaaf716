#include "MenuBarSystem/Pressing/PressTarget.h"

#include "MenuBarCore/Support/HashCombine.h"

#include <fmt/format.h>

namespace pellacor::system {

PressTarget::PressTarget(const core::ItemSnapshot& snapshot)
    : bundleID(snapshot.ownerBundleID()), index(snapshot.indexInOwner()),
      pid(snapshot.ownerPID() == 0 ? std::nullopt : std::optional<std::int32_t>(snapshot.ownerPID())) {}

std::string toString(const PressTarget& target) {
    if (target.pid) {
        return fmt::format("PressTarget({}・{} 番目・pid {})", target.bundleID, target.index, *target.pid);
    }
    return fmt::format("PressTarget({}・{} 番目)", target.bundleID, target.index);
}

} // namespace pellacor::system

std::size_t std::hash<pellacor::system::PressTarget>::operator()(
    const pellacor::system::PressTarget& target) const noexcept {
    std::size_t seed = 0;
    pellacor::core::hashCombine(seed, target.bundleID);
    pellacor::core::hashCombine(seed, target.index);
    // A presence byte first, so that "no pid" and any pid never feed the same values.
    pellacor::core::hashCombine(seed, static_cast<std::uint8_t>(target.pid ? 1 : 0));
    if (target.pid) {
        pellacor::core::hashCombine(seed, *target.pid);
    }
    return seed;
}
