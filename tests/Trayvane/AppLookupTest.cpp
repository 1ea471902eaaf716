#include "Trayvane/Settings/AppLookup.h"

#include "Support/FakeWorkspace.h"

#include <gtest/gtest.h>
#include <map>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::AppLookup;
using pellacor::testing::FakeWorkspace;

namespace {

// Display names by path; any other path shows its last component.
class NamedFiles final : public platform::FileManager {
public:
    std::map<std::string, std::string> names;
    std::filesystem::path homeDirectory() const override { return "/Users/me"; }
    std::optional<std::vector<std::string>> contentsOfDirectory(const std::filesystem::path&) const override {
        return std::nullopt;
    }
    std::string displayName(const std::string& path) const override {
        const auto found = names.find(path);
        return found != names.end() ? found->second : std::filesystem::path(path).filename().string();
    }
};

platform::Workspace::RunningApplication running(std::string bundleID, std::string name,
                                                std::int32_t pid = 10) {
    platform::Workspace::RunningApplication app;
    app.processIdentifier = pid;
    app.bundleIdentifier = std::move(bundleID);
    app.localizedName = std::move(name);
    return app;
}

struct AppLookupTest : ::testing::Test {
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<NamedFiles> files = std::make_shared<NamedFiles>();
    AppLookup lookup{workspace, files};
};

} // namespace

TEST_F(AppLookupTest, TheRunningApplicationsNameWinsAndIsKeptForTheRun) {
    workspace->setInstalled({{"com.example.one", "/Applications/One on Disk.app"}});
    workspace->setApps({running("com.example.one", "One")});
    EXPECT_EQ(lookup.name("com.example.one"), "One");
    // Renamed, quit, even removed: the first answer stays.
    workspace->setApps({running("com.example.one", "One Renamed")});
    EXPECT_EQ(lookup.name("com.example.one"), "One");
    workspace->setApps({});
    workspace->setInstalled({});
    EXPECT_EQ(lookup.name("com.example.one"), "One");
}

TEST_F(AppLookupTest, TheNameOnDiskLosesOnlyAnAppEnding) {
    struct Case {
        std::string displayName;
        std::optional<std::string> expected; // nothing: the bundle identifier
    };
    const std::vector<Case> cases{
        {"Quillow Sync.app", "Quillow Sync"},
        {"gaugeling-agent", "gaugeling-agent"},
        {"Notes.application", "Notes.application"},
        {"Notes.APP", "Notes.APP"},
        {"Notes.app.app", "Notes.app"},
        {".app", std::nullopt}, // nothing would be left
    };
    std::map<std::string, std::string> installed;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string path = "/Applications/" + std::to_string(i);
        installed["com.example.app" + std::to_string(i)] = path;
        files->names[path] = cases[i].displayName;
    }
    workspace->setInstalled(installed);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string bundleID = "com.example.app" + std::to_string(i);
        EXPECT_EQ(lookup.name(bundleID), cases[i].expected.value_or(bundleID)) << cases[i].displayName;
    }
}

TEST_F(AppLookupTest, ARunningApplicationWithoutANameIsNamedFromDiskAndOnlyTheFirstInstanceCounts) {
    workspace->setInstalled({{"com.example.one", "/Applications/One.app"}});
    workspace->setApps({running("com.example.one", "", 10), running("com.example.one", "Second", 11)});
    EXPECT_EQ(lookup.name("com.example.one"), "One");
}

TEST_F(AppLookupTest, AnApplicationNotInstalledIsItsIdentifierLookedUpAfreshEachTime) {
    EXPECT_EQ(lookup.name("com.example.gone"), "com.example.gone");
    EXPECT_EQ(lookup.name("com.example.gone"), "com.example.gone");
    EXPECT_EQ(workspace->locationLookups("com.example.gone"), 2);

    workspace->setInstalled({{"com.example.gone", "/Applications/Back Again.app"}});
    EXPECT_EQ(lookup.name("com.example.gone"), "Back Again");
    EXPECT_EQ(lookup.name("com.example.gone"), "Back Again");
    EXPECT_EQ(workspace->locationLookups("com.example.gone"), 3) << "found once, then cached";
}

} // namespace PELLACOR_TEST_FILE
