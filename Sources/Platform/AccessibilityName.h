#pragma once

#include <string_view>

namespace pellacor::platform {

// The attribute, role and action names of the accessibility interface that the
// program uses, spelled as the system spells them.
struct AccessibilityName {
    // Attributes.
    static constexpr std::string_view extrasMenuBar = "AXExtrasMenuBar";
    static constexpr std::string_view children = "AXChildren";
    static constexpr std::string_view parent = "AXParent";
    static constexpr std::string_view identifier = "AXIdentifier";
    static constexpr std::string_view description = "AXDescription";
    static constexpr std::string_view title = "AXTitle";
    static constexpr std::string_view role = "AXRole";
    static constexpr std::string_view position = "AXPosition";
    static constexpr std::string_view size = "AXSize";

    // Roles.
    static constexpr std::string_view applicationRole = "AXApplication";
    static constexpr std::string_view menuBarRole = "AXMenuBar";
    static constexpr std::string_view menuBarItemRole = "AXMenuBarItem";
    static constexpr std::string_view groupRole = "AXGroup";
    static constexpr std::string_view systemWideRole = "AXSystemWide";
    static constexpr std::string_view menuRole = "AXMenu";
    static constexpr std::string_view windowRole = "AXWindow";

    // Actions.
    static constexpr std::string_view pressAction = "AXPress";
};

} // namespace pellacor::platform
