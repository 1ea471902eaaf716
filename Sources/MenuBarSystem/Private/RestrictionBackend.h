#pragma once

#include "MenuBarSystem/Private/RestrictionToken.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellacor::system {

// Makes menu-bar restriction assertions. Used on the main thread only.
class RestrictionBackend {
public:
    // Called once with the framework's error code: 0 when the assertion is
    // active, anything else when the activation failed and nothing is restricted.
    using Completion = std::function<void(std::uint64_t error)>;

    virtual ~RestrictionBackend() = default;
    // Starts activating an assertion that allows these bundle identifiers plus
    // the system's items, and answers its token; null when no configuration
    // could be made. `onCompletion` is called later, once, on a thread of the
    // framework's choosing; whether the activation worked is learnt only then.
    virtual std::shared_ptr<RestrictionToken> activate(const std::vector<std::string>& allowedBundleIDs,
                                                       Completion onCompletion) = 0;
};

} // namespace pellacor::system
