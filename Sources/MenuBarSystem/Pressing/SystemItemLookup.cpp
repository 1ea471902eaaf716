#include "MenuBarSystem/Pressing/SystemItemLookup.h"

namespace pellacor::system {

std::string toString(const SystemItemLookup& lookup) {
    switch (lookup.kind()) {
    case SystemItemLookup::Kind::found:
        return "found(" + std::to_string(lookup.position()) + ")";
    case SystemItemLookup::Kind::absent:
        return "absent";
    case SystemItemLookup::Kind::unreadable:
        return "unreadable";
    }
    return "unreadable";
}

} // namespace pellacor::system
