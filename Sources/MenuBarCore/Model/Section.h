#pragma once

#include "MenuBarCore/Support/JsonCodingFwd.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// The three places an application can be sorted into.
enum class Section {
    shown,        // stays on the bar while collapsed
    hidden,       // leaves the bar while collapsed, back when the user reveals
    alwaysHidden, // shows only when the user reveals everything
};

// In the order the settings window lists them.
inline constexpr std::array<Section, 3> allSections{Section::shown, Section::hidden, Section::alwaysHidden};

// "shown", "hidden", "alwaysHidden".
std::string_view rawValue(Section section);
// Exactly the three raw values (case-sensitive); anything else is nothing.
std::optional<Section> sectionFromRawValue(std::string_view text);
// For logs: the raw value.
std::string toString(Section section);

// A section is its raw value as a JSON string.
template <> struct JsonCoding<Section> {
    static Json encode(Section section);
    static DecodeResult<Section> decode(const Json& json, const CodingPath& path);
};

} // namespace pellacor::core
