#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pellacor::system {

// An item owned by the system, pressed by lifting the whole restriction for a moment.
struct SystemItemTarget {
    // The process that owns the item.
    std::string ownerBundleID;
    // The item's accessibility identifier, by which it is found and pressed.
    std::string identifier;
    // Applications whose new on-screen windows count as the item's opened menu.
    std::vector<std::string> menuOwnerBundleIDs;

    SystemItemTarget(std::string ownerBundleID, std::string identifier,
                     std::vector<std::string> menuOwnerBundleIDs)
        : ownerBundleID(std::move(ownerBundleID)), identifier(std::move(identifier)),
          menuOwnerBundleIDs(std::move(menuOwnerBundleIDs)) {}

    // The system's fast-user-switching item; its menu belongs to the control centre.
    static const SystemItemTarget& userSwitcher();

    bool operator==(const SystemItemTarget&) const = default;
};

// For logs: "SystemItemTarget(com.apple.MenuBarAgent・com.apple.menuextra.user)".
std::string toString(const SystemItemTarget& target);

} // namespace pellacor::system

template <> struct std::hash<pellacor::system::SystemItemTarget> {
    std::size_t operator()(const pellacor::system::SystemItemTarget& target) const noexcept;
};
