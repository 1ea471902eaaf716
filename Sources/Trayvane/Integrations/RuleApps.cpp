#include "Trayvane/Integrations/RuleApps.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"
#include "Platform/PropertyListFile.h"

#include <algorithm>
#include <set>
#include <utility>

namespace pellacor::app {

namespace {

constexpr std::string_view appSuffix = ".app";

// The application a chosen bundle is: its identifier and its display name
// without ".app"; nothing when it declares no identifier.
std::optional<RuleAppChoice> choiceOf(const std::filesystem::path& bundle,
                                      const platform::FileManager& files) {
    auto identifier = RuleApps::bundleIdentifier(bundle);
    if (!identifier) {
        return std::nullopt;
    }
    std::string name = files.displayName(bundle.string());
    if (name.ends_with(appSuffix)) {
        name.erase(name.size() - appSuffix.size());
    }
    if (name.empty()) {
        name = *identifier;
    }
    return RuleAppChoice{std::move(*identifier), std::move(name)};
}

} // namespace

bool RuleApps::isStandaloneBundle(std::string_view bundlePath) {
    if (!bundlePath.ends_with(appSuffix) && !bundlePath.ends_with(".app/")) {
        return false;
    }
    std::string_view path = bundlePath;
    if (path.ends_with('/')) {
        path.remove_suffix(1);
    }
    for (const std::string_view system : {"/System/", "/usr/", "/Library/Apple/"}) {
        if (path.starts_with(system)) {
            return false;
        }
    }
    const auto slash = path.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
    return folder.find(".app/") == std::string_view::npos && !folder.ends_with(appSuffix);
}

std::vector<RuleAppChoice> RuleApps::running(const platform::Workspace& workspace,
                                             std::string_view excluding) {
    using Policy = platform::Workspace::ActivationPolicy;
    std::vector<RuleAppChoice> choices;
    std::set<std::string, std::less<>> seen;
    for (const auto& app : workspace.runningApplications()) {
        const bool offered = app.activationPolicy == Policy::regular ||
                             (app.activationPolicy == Policy::accessory && app.bundlePath &&
                              isStandaloneBundle(*app.bundlePath));
        if (!offered || !app.bundleIdentifier || *app.bundleIdentifier == excluding ||
            !seen.insert(*app.bundleIdentifier).second) {
            continue;
        }
        choices.push_back(
            {*app.bundleIdentifier, app.localizedName.empty() ? *app.bundleIdentifier : app.localizedName});
    }
    std::stable_sort(choices.begin(), choices.end(), [](const RuleAppChoice& a, const RuleAppChoice& b) {
        return core::Text::standardCompare(a.name, b.name) < 0;
    });
    return choices;
}

std::optional<std::string> RuleApps::bundleIdentifier(const std::filesystem::path& bundle) {
    const auto read = platform::PropertyListFile::read(bundle / "Contents" / "Info.plist");
    if (read.status != platform::PropertyListFile::ReadResult::Status::ok) {
        return std::nullopt;
    }
    const auto found = read.dictionary.find("CFBundleIdentifier");
    if (found == read.dictionary.end()) {
        return std::nullopt;
    }
    const std::string* identifier = found->second.stringValue();
    if (identifier == nullptr || identifier->empty()) {
        return std::nullopt;
    }
    return *identifier;
}

RuleApps::PanelDismiss RuleApps::chooseFromApplications(const Panel& panel,
                                                        const std::filesystem::path& applicationsFolder,
                                                        std::weak_ptr<const platform::FileManager> files,
                                                        ChoiceCompletion done) {
    if (!panel) {
        done(std::nullopt);
        return {};
    }
    const PanelRequest request{
        .title = core::localized("アプリを選ぶ"),
        .prompt = core::localized("選ぶ"),
        .directory = applicationsFolder,
    };
    return panel(request, [files = std::move(files),
                           done = std::move(done)](std::optional<std::filesystem::path> chosen) {
        const auto shared = files.lock();
        if (!shared || !chosen || chosen->empty()) {
            done(std::nullopt);
            return;
        }
        done(choiceOf(*chosen, *shared));
    });
}

} // namespace pellacor::app
