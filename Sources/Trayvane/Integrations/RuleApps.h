#pragma once

#include "Platform/FileManager.h"
#include "Platform/Workspace.h"
#include "Trayvane/Settings/RuleAppChoice.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The applications the rules page offers for a new rule: the user's running
// applications, or one the user picks from the Applications folder. Main
// thread only.
class RuleApps {
public:
    // What the open panel shows: its title, the button that chooses, and the
    // folder it opens in.
    struct PanelRequest {
        std::string title;
        std::string prompt;
        std::filesystem::path directory;
    };
    // Runs the panel modally; the application bundle chosen, or nothing when
    // it was cancelled.
    using Panel = std::function<std::optional<std::filesystem::path>(const PanelRequest&)>;

    RuleApps() = delete;

    // The running applications a person thinks of as applications, each once
    // (its first instance), without `excluding` and without those that have no
    // bundle identifier, named as they name themselves (the identifier when
    // they have no name), in the order a file manager lists names. Regular
    // applications count; accessories only when installed as an application
    // bundle of their own outside the system's folders (not a helper inside
    // another application's bundle); background processes never.
    static std::vector<RuleAppChoice> running(const platform::Workspace& workspace,
                                              std::string_view excluding);

    // Asks through `panel`, opened in `applicationsFolder`, for an application
    // bundle; its identifier and its display name without ".app". Nothing when
    // the panel is cancelled or the bundle has no identifier. The application
    // need not be running, and may be the program itself.
    static std::optional<RuleAppChoice>
    chooseFromApplications(const Panel& panel, const std::filesystem::path& applicationsFolder,
                           const platform::FileManager& files);

    // The bundle identifier an application bundle declares in its
    // "Contents/Info.plist"; nothing when there is no bundle or it declares none.
    static std::optional<std::string> bundleIdentifier(const std::filesystem::path& bundle);

    // Whether an accessory at this bundle location is an application of its
    // own: an ".app" bundle, outside the system's folders, not nested inside
    // another application's bundle.
    static bool isStandaloneBundle(std::string_view bundlePath);
};

} // namespace pellacor::app
