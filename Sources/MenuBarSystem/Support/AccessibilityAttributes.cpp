#include "MenuBarSystem/Support/AccessibilityAttributes.h"

#include "Platform/AccessibilityName.h"

namespace pellacor::system {

using platform::AccessibilityError;

std::optional<std::string> AccessibilityAttributes::string(platform::Accessibility& accessibility,
                                                           const platform::AccessibilityElement& element,
                                                           std::string_view attribute) {
    auto result = accessibility.copyAttributeValue(element, attribute);
    if (result.error != AccessibilityError::success || !result.value) {
        return std::nullopt;
    }
    if (const auto* text = result.value->string()) {
        return *text;
    }
    return std::nullopt;
}

std::optional<std::vector<platform::AccessibilityElement>>
AccessibilityAttributes::elements(platform::Accessibility& accessibility,
                                  const platform::AccessibilityElement& element, std::string_view attribute) {
    auto result = accessibility.copyAttributeValue(element, attribute);
    if (result.error != AccessibilityError::success || !result.value) {
        return std::nullopt;
    }
    return result.value->elements();
}

std::optional<core::Rect> AccessibilityAttributes::frame(platform::Accessibility& accessibility,
                                                         const platform::AccessibilityElement& element) {
    using Name = platform::AccessibilityName;
    auto position = accessibility.copyAttributeValue(element, Name::position);
    if (position.error != AccessibilityError::success || !position.value) {
        return std::nullopt;
    }
    auto size = accessibility.copyAttributeValue(element, Name::size);
    if (size.error != AccessibilityError::success || !size.value) {
        return std::nullopt;
    }
    const auto origin = position.value->point();
    const auto extent = size.value->size();
    if (!origin || !extent) {
        return std::nullopt;
    }
    return core::Rect(*origin, *extent);
}

} // namespace pellacor::system
