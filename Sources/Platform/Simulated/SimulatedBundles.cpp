#include "Platform/Simulated/SimulatedBundles.h"

#include "Platform/PropertyListFile.h"

#include <string_view>
#include <system_error>

namespace pellacor::platform {

std::size_t SimulatedBundles::install(const std::filesystem::path& root,
                                      const std::vector<SimulatedApplication>& applications) {
    std::error_code error;
    if (root.empty() || root == root.root_path() ||
        !std::filesystem::is_directory(root / "Applications", error)) {
        return 0;
    }
    std::size_t written = 0;
    for (const auto& app : applications) {
        const std::filesystem::path path(app.bundlePath);
        // Only a bundle directly inside "/Applications": helpers nested in
        // another bundle and system folders stay out of the folder.
        if (!app.bundleIdentifier || app.bundleIdentifier->empty() || path.extension() != ".app" ||
            path.parent_path() != "/Applications") {
            continue;
        }
        const std::filesystem::path contents = root / path.relative_path() / "Contents";
        const std::filesystem::path info = contents / "Info.plist";
        if (std::filesystem::exists(info, error) || error) {
            continue;
        }
        std::filesystem::create_directories(contents, error);
        if (error) {
            continue;
        }
        const PropertyListValue::Dictionary declared{
            {"CFBundleIdentifier", *app.bundleIdentifier},
            {"CFBundleName", app.localizedName},
            {"CFBundlePackageType", "APPL"},
        };
        if (PropertyListFile::write(info, declared)) {
            ++written;
        }
    }
    return written;
}

} // namespace pellacor::platform
