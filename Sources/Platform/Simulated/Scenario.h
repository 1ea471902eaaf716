#pragma once

#include "Platform/Simulated/ScenarioError.h"
#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedRestrictionService.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"
#include "Platform/Simulated/SimulatedScreen.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <variant>
#include <vector>

namespace pellacor::platform {

// A description of the simulated desktop to start from: its screens, the
// applications with their status items (running or not), faults of the run-time
// loader, and how the menu-bar framework answers activations.
//
// The file form is a JSON object:
//   "screens":      [{"frame": {"x", "y", "width", "height"}, "menuBarHeight"}]   (optional)
//   "applications": [{"bundleIdentifier", "processIdentifier", "localizedName", "bundlePath",
//                     "activationPolicy": "regular" | "accessory" | "prohibited",
//                     "active", "running",
//                     "statusItems": [{"identifier", "description", "title", "width", "role",
//                                      "kind": "standard" | "system", "systemItemNumber"}]}]
//   "loaderFaults": [{"kind": "frameworkMissing" | "libraryMissing" | "classMissing" |
//                              "methodMissing" | "wrongArgumentCount",
//                     "library", "class", "selector", "classMethod", "argumentCount"}]   (optional)
//   "restriction":  {"completion": "immediate" | "delayed" | "held" | "never",
//                    "delayMilliseconds", "completionError", "refusesConfiguration",
//                    "activatesAfterInvalidation"}   (optional)
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

    std::vector<SimulatedScreen> screens{SimulatedScreen{}};
    std::vector<SimulatedApplication> applications;
    std::vector<SimulatedRuntimeLoader::Fault> loaderFaults;
    RestrictionBehaviour restriction;

    // A dozen made-up applications with one to three items each, the system's
    // items and the program itself with its control item.
    static Scenario defaultScenario();

    static std::variant<Scenario, ScenarioError> decode(std::string_view json);
    static std::variant<Scenario, ScenarioError> load(const std::filesystem::path& file);
};

} // namespace pellacor::platform
