#pragma once

namespace pellacor::system {

// Whether the process may use Accessibility. The coordinator polls it while it
// waits for the user to grant the permission.
class AccessibilityTrustChecking {
public:
    virtual ~AccessibilityTrustChecking() = default;

    // Asked without prompting the user.
    virtual bool isTrusted() const = 0;

protected:
    AccessibilityTrustChecking() = default;
    AccessibilityTrustChecking(const AccessibilityTrustChecking&) = default;
    AccessibilityTrustChecking& operator=(const AccessibilityTrustChecking&) = default;
};

} // namespace pellacor::system
