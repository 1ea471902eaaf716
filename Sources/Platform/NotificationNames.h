#pragma once

#include <string_view>

namespace pellacor::platform {

// The names of the platform's notifications, and the center each is posted on.
struct NotificationNames {
    // On the shared workspace's center: the user moved to another Space.
    static constexpr std::string_view workspaceActiveSpaceDidChange =
        "NSWorkspaceActiveSpaceDidChangeNotification";
    // On the shared workspace's center: another application became the active one.
    static constexpr std::string_view workspaceDidActivateApplication =
        "NSWorkspaceDidActivateApplicationNotification";
    // On the application's default center: screens were attached, detached,
    // moved or resized, or their menu-bar strips changed.
    static constexpr std::string_view applicationDidChangeScreenParameters =
        "NSApplicationDidChangeScreenParametersNotification";
};

} // namespace pellacor::platform
