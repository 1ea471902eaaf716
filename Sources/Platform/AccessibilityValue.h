#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/AccessibilityElement.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellacor::platform {

// One attribute value as the accessibility interface answers it: a string, a
// number, a Boolean, a point or a size (the interface's wrapped geometry
// values), an element, or an array of values (of any of these kinds, mixed).
struct AccessibilityValue {
    using Array = std::vector<AccessibilityValue>;
    using Content =
        std::variant<std::string, double, bool, core::Point, core::Size, AccessibilityElement, Array>;

    Content content;

    // The value when it is of that kind; nothing otherwise.
    const std::string* string() const { return std::get_if<std::string>(&content); }
    const AccessibilityElement* element() const { return std::get_if<AccessibilityElement>(&content); }
    std::optional<core::Point> point() const;
    std::optional<core::Size> size() const;
    // An array whose members are all elements; nothing for any other value,
    // including an array that holds something else.
    std::optional<std::vector<AccessibilityElement>> elements() const;

    bool operator==(const AccessibilityValue&) const = default;
};

inline std::optional<core::Point> AccessibilityValue::point() const {
    if (const auto* point = std::get_if<core::Point>(&content)) {
        return *point;
    }
    return std::nullopt;
}

inline std::optional<core::Size> AccessibilityValue::size() const {
    if (const auto* size = std::get_if<core::Size>(&content)) {
        return *size;
    }
    return std::nullopt;
}

inline std::optional<std::vector<AccessibilityElement>> AccessibilityValue::elements() const {
    const auto* array = std::get_if<Array>(&content);
    if (array == nullptr) {
        return std::nullopt;
    }
    std::vector<AccessibilityElement> result;
    result.reserve(array->size());
    for (const auto& member : *array) {
        const auto* element = member.element();
        if (element == nullptr) {
            return std::nullopt;
        }
        result.push_back(*element);
    }
    return result;
}

} // namespace pellacor::platform
