#include "MenuBarSystem/Pressing/RevealTicket.h"

#include "MenuBarCore/Support/HashCombine.h"

#include <fmt/format.h>

namespace pellacor::system {

std::string toString(const RevealTicket& ticket) {
    return fmt::format("RevealTicket({}・{})", ticket.id, ticket.bundleID.empty() ? "lift" : ticket.bundleID);
}

} // namespace pellacor::system

std::size_t std::hash<pellacor::system::RevealTicket>::operator()(
    const pellacor::system::RevealTicket& ticket) const noexcept {
    std::size_t seed = 0;
    pellacor::core::hashCombine(seed, ticket.id);
    pellacor::core::hashCombine(seed, ticket.bundleID);
    return seed;
}
