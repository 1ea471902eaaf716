#include "Trayvane/Common/AppInfo.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"

#include <fmt/format.h>
#include <string_view>

// The build passes the project's version and, when it has one, a build number.
#ifndef PELLACOR_VERSION
#define PELLACOR_VERSION nullptr
#endif
#ifndef PELLACOR_BUILD_NUMBER
#define PELLACOR_BUILD_NUMBER nullptr
#endif

namespace pellacor::app {

std::string AppInfo::osVersion(const platform::HostInfo& host) {
    const auto v = host.operatingSystemVersion();
    return fmt::format("{}.{}.{}", v.majorVersion, v.minorVersion, v.patchVersion);
}

std::string AppInfo::version() {
    return versionFrom(PELLACOR_VERSION);
}

std::optional<std::string> AppInfo::build() {
    return buildFrom(PELLACOR_BUILD_NUMBER);
}

std::string AppInfo::versionFrom(const char* given) {
    return given ? std::string(given) : std::string("?");
}

std::optional<std::string> AppInfo::buildFrom(const char* given) {
    if (!given) {
        return std::nullopt;
    }
    return std::string(given);
}

std::string AppInfo::versionLine(const std::string& version, const std::optional<std::string>& build,
                                 bool localized) {
    const bool withBuild = build && !build->empty() && *build != version;
    if (localized) {
        return withBuild ? core::localized("バージョン %@（ビルド %@）", {version, *build})
                         : core::localized("バージョン %@", {version});
    }
    return withBuild ? "バージョン " + version + "（ビルド " + *build + "）" : "バージョン " + version;
}

std::string AppInfo::model(const platform::HostInfo& host) {
    const std::string raw = host.machineModel();
    if (raw.empty()) {
        return "?";
    }
    const std::string_view upToZero(raw.data(), std::min(raw.size(), raw.find('\0')));
    return core::Text::utf8(core::Text::codePoints(upToZero));
}

} // namespace pellacor::app
