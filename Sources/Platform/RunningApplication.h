#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pellacor::platform {

// One running application as the workspace lists it.
struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::int32_t processIdentifier = 0;
    // The path of the application's bundle; absent when it has no bundle (a
    // command-line tool, for instance).
    std::optional<std::string> bundlePath;
    // Whether it has ended though the workspace still lists it for a moment.
    bool isTerminated = false;

    bool operator==(const RunningApplication&) const = default;
};

} // namespace pellacor::platform
