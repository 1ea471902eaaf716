#pragma once

#include "Platform/Simulated/SimulatedElementBehaviour.h"
#include "Platform/Simulated/SimulatedStatusItem.h"
#include "Platform/Simulated/SimulatedWindow.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::platform {

// One application the simulated desktop knows, running or not, with the status
// items it shows while it runs.
struct SimulatedApplication {
    enum class ActivationPolicy { regular, accessory, prohibited };

    std::optional<std::string> bundleIdentifier;
    std::int32_t processIdentifier = 0;
    std::string localizedName;
    std::string bundlePath;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isActive = false;
    bool isRunning = true;
    std::vector<SimulatedStatusItem> statusItems;
    // How its application element and its extras menu bar answer accessibility messages.
    SimulatedElementBehaviour accessibility;
    // How long the menu bar takes to place the application's items once a
    // restriction change lets them show.
    std::chrono::milliseconds placementDelay{0};
    // Its icon as a view draws it: a short text and a colour ("#RRGGBB"); a
    // view makes up what is missing.
    std::optional<std::string> iconGlyph;
    std::optional<std::string> iconColor;
    // A picture (PNG) on the real disk that the workspace hands out as its
    // icon; without one, or when it cannot be read, an icon is made up for it
    // (see SimulatedIcons).
    std::optional<std::filesystem::path> iconFile;
    // The windows it has open when it joins the desktop.
    std::vector<SimulatedWindow> windows;

    bool operator==(const SimulatedApplication&) const = default;
};

} // namespace pellacor::platform
