#pragma once

#include "Platform/HostInfo.h"
#include "Platform/LoginItemService.h"
#include "Platform/Simulated/ScenarioError.h"
#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedCaptureDevices.h"
#include "Platform/Simulated/SimulatedHotkeyManager.h"
#include "Platform/Simulated/SimulatedRestrictionService.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"
#include "Platform/Simulated/SimulatedScreen.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellacor::platform {

// A description of the simulated desktop to start from: its screens, the
// applications with their status items (running or not), faults of the run-time
// loader, and how the menu-bar framework answers activations.
//
// The file form is a JSON object:
//   "screens":      [{"frame": {"x", "y", "width", "height"}, "menuBarHeight",
//                     "cameraHousingWidth"}]   (optional; the first holds the menu bar's items)
//   "applications": [{"bundleIdentifier", "processIdentifier", "localizedName", "bundlePath",
//                     "activationPolicy": "regular" | "accessory" | "prohibited",
//                     "active", "running", "accessibility": <behaviour>,
//                     "placementDelayMilliseconds",
//                     (an application without a "bundlePath" ending in ".app" stands for a
//                     process outside any application bundle, whose items the program never reads)
//                     "icon": {"glyph", "color": "#RRGGBB", "file": path of a PNG},
//                     "windows": [{"layer", "bounds": {"x", "y", "width", "height"}, "onScreen"}],
//                     "statusItems": [{"identifier", "description", "title", "width", "role",
//                                      "kind": "standard" | "system", "systemItemNumber", "name",
//                                      "hiddenWhileRestricted", "overflowChevron",
//                                      "accessibility": <behaviour>,
//                                      "menu": {"opens": "always" | "whenPlaced" | "never",
//                                               "openDelayMilliseconds", "openForMilliseconds",
//                                               "staysOpen", "owner", "width", "height"}}]}]
//   "loaderFaults": [{"kind": "frameworkMissing" | "libraryMissing" | "classMissing" |
//                              "methodMissing" | "wrongArgumentCount",
//                     "library", "class", "selector", "classMethod", "argumentCount"}]   (optional)
//   "restriction":  {"completion": "immediate" | "delayed" | "held" | "never",
//                    "delayMilliseconds", "completionError", "refusesConfiguration",
//                    "activatesAfterInvalidation"}   (optional)
//   "symbolicHotKeys": [{"keyCode", "modifiers", "enabled"}]   (optional; a few usual ones by default)
//   "loginItem":    {"status": "notRegistered" | "enabled" | "requiresApproval" | "notFound",
//                    "requiresApproval", "registerError", "unregisterError"}   (optional)
//   "loginWindow":  {"available", "result"}   (optional)
//   "accessibilityTrusted": true | false   (optional; true by default)
//   "captureDevices": [{"kind": "camera" | "audio", "id", "name", "inputStreams", "outputStreams",
//                       "running"}]   (optional; a built-in camera, microphone and speakers by default)
//   "home":         {"folder": absolute path, "menuBarContainerGranted",
//                    "layoutTable": {"<item key>": <position>}}   (optional; no home by default; the
//                   table is written to the menu bar's file when the home has none yet)
//   "system":       {"osVersion": "15.1" | "15.1.2", "machineModel"}   (optional; "15.1.0", "Mac15,3")
//   "user":         {"fullName", "accountName"}   (optional; "Aoi Kisaragi", "aoi"): the logged-in user
//   "launchModifiers": ["shift" | "option" | "control" | "command"]   (optional): held as the program starts
//   "root":         absolute path   (optional; "/" by default): the folder that stands for the
//                   simulated computer's "/", so its "Applications" folder stands for "/Applications"
//   "ownBundlePath": absolute path of the simulated computer, below the root   (optional; by default
//                   the "bundlePath" of the program's own application, else "/Applications/Pellacor.app")
// where <behaviour> (optional) is {"latencyMilliseconds", "attributeErrors": {"<attribute>": <code>},
// "actions": ["<action>"], "actionErrors": {"<action>": <code>}, "actionNamesError"}.
// An icon file's relative path is taken from the scenario file's folder when the
// scenario is loaded from a file, else from the current folder.
// A menu stays open until it is closed unless "openForMilliseconds" says how
// long it stays ("staysOpen": true overrides that).
// Window bounds are top-down (origin at the top left of the first screen, y down).
// Unknown keys are ignored; anything else out of shape is an error.
struct Scenario {
    struct RestrictionBehaviour {
        SimulatedRestrictionService::CompletionMode completion =
            SimulatedRestrictionService::CompletionMode::immediate;
        std::chrono::milliseconds delay{0};
        std::uint64_t completionError = 0;
        bool refusesConfiguration = false;
        bool activatesAfterInvalidation = true;
        bool operator==(const RestrictionBehaviour&) const = default;
    };

    // The login-item service: its status, whether registering waits for the
    // user's approval, and the error codes of refused calls.
    struct LoginItemBehaviour {
        LoginItemService::Status status = LoginItemService::Status::notRegistered;
        bool requiresApproval = false;
        std::optional<std::int64_t> registerError;
        std::optional<std::int64_t> unregisterError;
        bool operator==(const LoginItemBehaviour&) const = default;
    };

    // The private login framework: whether it is installed, and what its
    // login-window function answers (0 is success).
    struct LoginWindowBehaviour {
        bool available = true;
        std::int32_t result = 0;
        bool operator==(const LoginWindowBehaviour&) const = default;
    };

    // The user's home folder, where the menu bar keeps its layout table, and
    // whether the program has been granted the menu bar's group container.
    struct HomeBehaviour {
        std::filesystem::path folder;
        bool menuBarContainerGranted = false;
        std::map<std::string, double> layoutTable;
        bool operator==(const HomeBehaviour&) const = default;
    };

    // The operating system's version and the machine's model.
    struct SystemBehaviour {
        HostInfo::OperatingSystemVersion version{15, 1, 0};
        std::string machineModel = "Mac15,3";
        bool operator==(const SystemBehaviour&) const = default;
    };

    // The logged-in user's names in the account database; the account name is never empty.
    struct UserBehaviour {
        std::string fullName = "Aoi Kisaragi";
        std::string accountName = "aoi";
        bool operator==(const UserBehaviour&) const = default;
    };

    std::vector<SimulatedScreen> screens{SimulatedScreen{}};
    std::vector<SimulatedApplication> applications;
    std::vector<SimulatedRuntimeLoader::Fault> loaderFaults;
    RestrictionBehaviour restriction;
    std::vector<SimulatedHotkeyManager::SymbolicHotKey> symbolicHotKeys = usualSymbolicHotKeys();
    LoginItemBehaviour loginItem;
    LoginWindowBehaviour loginWindow;
    // Whether the program is trusted for accessibility.
    bool accessibilityTrusted = true;
    std::vector<SimulatedCaptureDevices::Device> captureDevices = SimulatedCaptureDevices::usualDevices();
    HomeBehaviour home;
    // The folder on disk that stands for the simulated computer's "/".
    std::filesystem::path root{"/"};
    // Where the program's own bundle lies, as a path of the simulated computer.
    std::optional<std::filesystem::path> ownBundlePath;
    SystemBehaviour system;
    UserBehaviour user;
    // Modifier keys (InputState flags) held as the program starts.
    std::uint64_t launchModifierFlags = 0;

    // `ownBundlePath` when given; otherwise the bundle path of the application
    // with the program's bundle identifier, or "/Applications/Pellacor.app".
    std::filesystem::path effectiveOwnBundlePath() const;
    // The program runs on the desktop it starts on. A scenario that leaves the
    // program's application out gets it added, running as an accessory at
    // `effectiveOwnBundlePath()` and without items of its own (the program puts
    // its status items there itself), so the program's items have an
    // application to belong to. Answers whether it was added.
    bool addProgramWhenMissing();

    // A dozen made-up applications with one to three items each, the system's
    // items and the program itself with its control item.
    static Scenario defaultScenario();
    // Shortcuts a fresh system has: Spotlight, Finder search, the input-source switch (off),
    // Mission Control and application windows.
    static std::vector<SimulatedHotkeyManager::SymbolicHotKey> usualSymbolicHotKeys();

    // A scenario file is read only when it is a regular file of at most this
    // size (a hand-written one is a few kilobytes).
    static constexpr std::size_t maximumFileBytes = std::size_t{16} * 1024 * 1024;

    static std::variant<Scenario, ScenarioError> decode(std::string_view json);
    static std::variant<Scenario, ScenarioError> load(const std::filesystem::path& file);
};

} // namespace pellacor::platform
