#pragma once

#include "MenuBarSystem/Safety/AccessibilityTrustChecking.h"
#include "Platform/Accessibility.h"

#include <memory>

namespace pellacor::system {

// The system's trust test for this process, with no prompt. Keeps no state of
// its own; any thread may ask.
class AccessibilityTrust final : public AccessibilityTrustChecking {
public:
    explicit AccessibilityTrust(std::shared_ptr<platform::Accessibility> accessibility);

    bool isTrusted() const override;

private:
    std::shared_ptr<platform::Accessibility> accessibility_;
};

} // namespace pellacor::system
