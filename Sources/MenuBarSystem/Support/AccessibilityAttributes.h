#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/Accessibility.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::system {

// Typed reads of one accessibility attribute. An error, a missing value or a
// value of another type all give nothing: the services treat them alike.
class AccessibilityAttributes {
public:
    AccessibilityAttributes() = delete;

    static std::optional<std::string> string(platform::Accessibility& accessibility,
                                             const platform::AccessibilityElement& element,
                                             std::string_view attribute);

    static std::optional<std::vector<platform::AccessibilityElement>>
    elements(platform::Accessibility& accessibility, const platform::AccessibilityElement& element,
             std::string_view attribute);

    // "AXPosition" and "AXSize" together, top-down; nothing unless both read as a point and a size.
    static std::optional<core::Rect> frame(platform::Accessibility& accessibility,
                                           const platform::AccessibilityElement& element);
};

} // namespace pellacor::system
