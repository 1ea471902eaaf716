#include "MenuBarCore/Model/Section.h"

#include "MenuBarCore/Support/JsonCoding.h"

namespace pellacor::core {

std::string_view rawValue(Section section) {
    switch (section) {
    case Section::shown:
        return "shown";
    case Section::hidden:
        return "hidden";
    case Section::alwaysHidden:
        return "alwaysHidden";
    }
    return "shown";
}

std::optional<Section> sectionFromRawValue(std::string_view text) {
    for (auto section : allSections) {
        if (rawValue(section) == text) {
            return section;
        }
    }
    return std::nullopt;
}

std::string toString(Section section) {
    return std::string(rawValue(section));
}

Json JsonCoding<Section>::encode(Section section) {
    return std::string(rawValue(section));
}

DecodeResult<Section> JsonCoding<Section>::decode(const Json& json, const CodingPath& path) {
    auto text = decodeJson<std::string>(json, path);
    if (!text) {
        return text.error();
    }
    if (auto section = sectionFromRawValue(*text)) {
        return *section;
    }
    return dataCorrupted("cannot initialize Section from invalid String value \"" + *text + "\"", path);
}

} // namespace pellacor::core
