#include "MenuBarSystem/Pressing/PressOutcome.h"

#include "MenuBarCore/Support/HashCombine.h"

namespace pellacor::system {

std::optional<core::PressMethod> PressOutcome::method() const {
    if (const auto* method = std::get_if<0>(&content_)) {
        return *method;
    }
    return std::nullopt;
}

std::optional<UnavailableReason> PressOutcome::reason() const {
    if (const auto* reason = std::get_if<1>(&content_)) {
        return *reason;
    }
    return std::nullopt;
}

std::string toString(const PressOutcome& outcome) {
    switch (outcome.kind()) {
    case PressOutcome::Kind::opened:
        return "opened(" + core::toString(*outcome.method()) + ")";
    case PressOutcome::Kind::unavailable:
        return "unavailable(" + toString(*outcome.reason()) + ")";
    case PressOutcome::Kind::notOpened:
        return "notOpened";
    case PressOutcome::Kind::notFound:
        return "notFound";
    }
    return "notFound";
}

} // namespace pellacor::system

std::size_t std::hash<pellacor::system::PressOutcome>::operator()(
    const pellacor::system::PressOutcome& outcome) const noexcept {
    std::size_t seed = 0;
    pellacor::core::hashCombine(seed, static_cast<int>(outcome.kind()));
    if (auto method = outcome.method()) {
        pellacor::core::hashCombine(seed, *method);
    }
    if (auto reason = outcome.reason()) {
        pellacor::core::hashCombine(seed, static_cast<int>(reason->kind()));
        pellacor::core::hashCombine(seed, reason->code());
    }
    return seed;
}
