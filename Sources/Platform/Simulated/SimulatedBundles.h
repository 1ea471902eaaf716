#pragma once

#include "Platform/Simulated/SimulatedApplication.h"

#include <filesystem>
#include <vector>

namespace pellacor::platform {

// The application bundles of the simulated computer's Applications folder, on
// disk: each known application installed directly in "/Applications" gets its
// bundle folder below the root with a "Contents/Info.plist" that declares its
// identifier and name, so a file dialog over the folder shows the
// applications and a bundle chosen there can be opened like a real one.
class SimulatedBundles {
public:
    SimulatedBundles() = delete;

    // Writes the bundles that are missing; a bundle already there is left as
    // it is. Nothing is written for the real computer's root ("/"), nor where
    // the root has no Applications folder. The number of bundles written.
    static std::size_t install(const std::filesystem::path& root,
                               const std::vector<SimulatedApplication>& applications);
};

} // namespace pellacor::platform
