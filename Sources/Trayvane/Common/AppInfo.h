#pragma once

#include "Platform/HostInfo.h"

#include <optional>
#include <string>

namespace pellacor::app {

// The program's own version and build, as the build gave them, and the facts
// about the computer that the logs, the About window and feedback show.
struct AppInfo {
    AppInfo() = delete;

    // The system version: major, minor and patch, always all three, joined by ".".
    static std::string osVersion(const platform::HostInfo& host);
    // The program's version ("0.1.0"); "?" when the build gave none.
    static std::string version();
    // The build number; nothing when the build gave none.
    static std::optional<std::string> build();
    // "バージョン 1.2（ビルド 45）", or "バージョン 1.2" when the build is
    // missing, empty or the version itself. `localized` passes the line through
    // the program's translation (the About window); the launch log composes it
    // directly.
    static std::string versionLine(const std::string& version, const std::optional<std::string>& build,
                                   bool localized);
    // The machine model identifier ("Mac15,3"): the text up to its first zero
    // byte, ill-formed UTF-8 repaired; "?" when the host gives nothing.
    static std::string model(const platform::HostInfo& host);

    // What `version` and `build` make of what a build passes in.
    static std::string versionFrom(const char* given);
    static std::optional<std::string> buildFrom(const char* given);
};

} // namespace pellacor::app
