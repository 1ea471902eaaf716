#pragma once

#include "Platform/AccessibilityElement.h"
#include "Platform/AccessibilityError.h"
#include "Platform/AccessibilityValue.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellacor::platform {

// The accessibility interface: whether this process may use it, and the element
// functions over other processes' user interfaces. Calls block until the element
// answers or its messaging time-out passes (then `cannotComplete`); they may be
// made from any thread, also from several at once.
class Accessibility {
public:
    // The result of copying an attribute: `success` with a value (or, rarely,
    // without one), or an error code of `AccessibilityError` and no value.
    struct CopyResult {
        std::int32_t error = AccessibilityError::success;
        std::optional<AccessibilityValue> value;

        bool operator==(const CopyResult&) const = default;
    };

    // Until an element has a time-out of its own, messages wait this long.
    static constexpr float defaultMessagingTimeout = 6.0F;

    virtual ~Accessibility() = default;

    // Whether the process is trusted for accessibility; never asks the user.
    virtual bool isProcessTrusted() = 0;

    // The element of the application with this process identifier. Always made;
    // whether the process exists shows only when the element is asked something.
    virtual AccessibilityElement createApplication(std::int32_t processIdentifier) = 0;

    // The element that stands for the whole system: asked for the element at a
    // point, it answers whatever is on screen there, of any process.
    virtual AccessibilityElement createSystemWide() = 0;

    // The result of asking for an element: `success` with the element, or an
    // error code of `AccessibilityError` and an empty element.
    struct ElementResult {
        std::int32_t error = AccessibilityError::success;
        AccessibilityElement element;

        bool operator==(const ElementResult&) const = default;
    };

    // The deepest element at the point (top-down coordinates: origin at the top
    // left of the first screen, y down), asked of the system-wide element or of
    // an application's (then only its own elements count). `noValue` when
    // nothing is there.
    virtual ElementResult copyElementAtPosition(const AccessibilityElement& element, float x, float y) = 0;

    // The result of asking for an element's process: `success` with its
    // identifier, or an error code and 0.
    struct ProcessResult {
        std::int32_t error = AccessibilityError::success;
        std::int32_t processIdentifier = 0;

        bool operator==(const ProcessResult&) const = default;
    };

    // The process the element belongs to. Asks nothing of the process.
    virtual ProcessResult getPid(const AccessibilityElement& element) = 0;

    // Whether two elements stand for the same element of a user interface, also
    // when they were handed out by separate calls (the interface's equality).
    // Asks nothing of the process. Here only copies of one reference are equal;
    // an implementation that knows more says so.
    virtual bool isEqual(const AccessibilityElement& first, const AccessibilityElement& second) {
        return first == second;
    }

    // How long messages to this element wait for an answer, in seconds; 0 restores
    // the default. A negative time is an illegal argument.
    virtual std::int32_t setMessagingTimeout(const AccessibilityElement& element, float seconds) = 0;

    // The value of one attribute of the element.
    virtual CopyResult copyAttributeValue(const AccessibilityElement& element,
                                          std::string_view attribute) = 0;

    // The names of the actions the element offers, as an array of strings.
    virtual CopyResult copyActionNames(const AccessibilityElement& element) = 0;

    // Asks the element to perform an action. `cannotComplete` also comes back
    // when the element did not answer within its time-out; it may perform the
    // action all the same.
    virtual std::int32_t performAction(const AccessibilityElement& element, std::string_view action) = 0;

protected:
    Accessibility() = default;
    Accessibility(const Accessibility&) = default;
    Accessibility& operator=(const Accessibility&) = default;
};

} // namespace pellacor::platform
