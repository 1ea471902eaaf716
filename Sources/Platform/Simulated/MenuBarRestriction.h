#pragma once

#include <set>
#include <string>

namespace pellacor::platform {

// What the menu bar may show while a restriction is in force: the system items
// with these numbers and the items of applications with these bundle identifiers.
struct MenuBarRestriction {
    std::set<int> allowedSystemItems;
    std::set<std::string> allowedBundleIdentifiers;

    bool operator==(const MenuBarRestriction&) const = default;
};

} // namespace pellacor::platform
