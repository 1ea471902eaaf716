#pragma once

#include "Platform/ApplicationIcon.h"
#include "Platform/Simulated/SimulatedApplication.h"

#include <cstddef>
#include <filesystem>
#include <optional>

namespace pellacor::platform {

// The icons of the simulated computer's applications. An application whose
// scenario names an icon file (a PNG) shows that picture; any other gets one
// made up from its bundle identifier and name, so that no two look alike: a
// rounded square in its icon colour (or a colour of its own) carrying a
// symmetric pattern of tiles. Pure and thread-safe.
struct SimulatedIcons {
    // The side, in pixels, of the icons made up here.
    static constexpr int side = 128;
    // The largest icon file read, in pixels along either side.
    static constexpr int largestFileSide = 1024;
    // An icon file is read only when it is a regular file of at most this size.
    static constexpr std::size_t largestFileBytes = std::size_t{16} * 1024 * 1024;

    // The application's icon: its file when that can be read, else a made-up one.
    static ApplicationIcon of(const SimulatedApplication& application);
    // The icon made up from the application's bundle identifier, name and colour.
    static ApplicationIcon generated(const SimulatedApplication& application);
    // The generic application icon: a grey rounded square with a white "A".
    static ApplicationIcon genericApplication();
    // The PNG file's pixels; nothing when it cannot be read or decoded, or is
    // larger than `largestFileSide`.
    static std::optional<ApplicationIcon> fromFile(const std::filesystem::path& file);
};

} // namespace pellacor::platform
