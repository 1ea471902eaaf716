#pragma once

#include <memory>
#include <utility>

namespace pellacor::platform {

// An opaque reference to one element of another process's user interface, as
// the accessibility interface hands it out. What it refers to is known only to
// the implementation that made it; copies refer to the same element and share
// its messaging time-out. An empty reference refers to nothing.
class AccessibilityElement {
public:
    // The implementation's own record of an element; it derives from this.
    class Reference {
    public:
        virtual ~Reference() = default;

    protected:
        Reference() = default;
        Reference(const Reference&) = default;
        Reference& operator=(const Reference&) = default;
    };

    AccessibilityElement() = default;
    explicit AccessibilityElement(std::shared_ptr<Reference> reference) : reference_(std::move(reference)) {}

    const std::shared_ptr<Reference>& reference() const { return reference_; }
    explicit operator bool() const { return reference_ != nullptr; }

    // The same reference (not merely an element that looks alike).
    bool operator==(const AccessibilityElement& other) const { return reference_ == other.reference_; }

private:
    std::shared_ptr<Reference> reference_;
};

} // namespace pellacor::platform
