#include "MenuBarSystem/Safety/AccessibilityTrust.h"

namespace pellacor::system {

AccessibilityTrust::AccessibilityTrust(std::shared_ptr<platform::Accessibility> accessibility)
    : accessibility_(std::move(accessibility)) {}

bool AccessibilityTrust::isTrusted() const {
    return accessibility_ != nullptr && accessibility_->isProcessTrusted();
}

} // namespace pellacor::system
