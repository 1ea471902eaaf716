#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pellacor::system {

// One running application, as the reader decides whether to read it.
struct MenuBarAppInfo {
    std::optional<std::string> bundleID;
    std::int32_t pid = 0;
    // Its bundle's path ends in ".app"; false without a bundle.
    bool isAppBundle = false;

    bool operator==(const MenuBarAppInfo&) const = default;
};

} // namespace pellacor::system
