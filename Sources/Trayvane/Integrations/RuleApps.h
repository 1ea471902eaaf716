#pragma once

#include "Platform/FileManager.h"
#include "Platform/Workspace.h"
#include "Trayvane/Settings/RuleAppChoice.h"

#include <filesystem>
#include <functional>
#include <memory>
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
    // The application bundle chosen, or nothing when the panel was cancelled.
    using PanelCompletion = std::function<void(std::optional<std::filesystem::path>)>;
    // Takes a panel that is still up away; its completion then never comes.
    // Empty when there is nothing to take away.
    using PanelDismiss = std::function<void()>;
    // Opens the panel and returns at once; the completion comes on a later
    // turn of the event loop, when the user ends the panel. No event loop of
    // its own runs meanwhile.
    using Panel = std::function<PanelDismiss(const PanelRequest&, PanelCompletion)>;
    // The application chosen, or nothing.
    using ChoiceCompletion = std::function<void(std::optional<RuleAppChoice>)>;

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
    // bundle; `done` gets its identifier and its display name without ".app".
    // Nothing when the panel is cancelled, the bundle has no identifier or
    // `files` is gone by then (at once without a panel). The application need
    // not be running, and may be the program itself. Returns what takes the
    // panel away unanswered.
    static PanelDismiss chooseFromApplications(const Panel& panel,
                                               const std::filesystem::path& applicationsFolder,
                                               std::weak_ptr<const platform::FileManager> files,
                                               ChoiceCompletion done);

    // The bundle identifier an application bundle declares in its
    // "Contents/Info.plist"; nothing when there is no bundle or it declares none.
    static std::optional<std::string> bundleIdentifier(const std::filesystem::path& bundle);

    // Whether an accessory at this bundle location is an application of its
    // own: an ".app" bundle, outside the system's folders, not nested inside
    // another application's bundle.
    static bool isStandaloneBundle(std::string_view bundlePath);
};

} // namespace pellacor::app
