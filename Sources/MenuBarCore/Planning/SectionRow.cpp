#include "MenuBarCore/Planning/SectionRow.h"

namespace pellacor::core {

std::string_view rawValue(SectionRow::Kind kind) {
    switch (kind) {
    case SectionRow::Kind::movable:
        return "movable";
    case SectionRow::Kind::apple:
        return "apple";
    case SectionRow::Kind::selfItem:
        return "selfItem";
    }
    return "movable";
}

} // namespace pellacor::core
