#include "Trayvane/Integrations/RuleApps.h"

#include "Platform/PropertyListFile.h"
#include "Support/FakeWorkspace.h"
#include "Support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::RuleAppChoice;
using app::RuleApps;
using Policy = platform::Workspace::ActivationPolicy;
using Running = platform::Workspace::RunningApplication;

namespace {

Running app(std::optional<std::string> id, std::string name, std::optional<std::string> path,
            Policy policy = Policy::regular) {
    Running running;
    running.bundleIdentifier = std::move(id);
    running.localizedName = std::move(name);
    running.bundlePath = std::move(path);
    running.activationPolicy = policy;
    return running;
}

TEST(RuleAppsTest, RunningOffersEachUserApplicationOnceInTheFileManagersOrder) {
    pellacor::testing::FakeWorkspace workspace;
    workspace.setApps({
        app("com.example.app10", "App 10", "/Applications/App 10.app"),
        app("com.example.app9", "App 9", "/Applications/App 9.app"),
        app("com.example.zebra", "zebra", "/Applications/zebra.app"),
        app("com.example.alpha", "Alpha", "/Applications/Alpha.app"),
        // A second instance of the same application, under another name.
        app("com.example.app9", "App 9 (2)", "/Applications/App 9.app"),
        // The program itself.
        app("app.trayvane.pellacor", "Pellacor", "/Applications/Pellacor.app", Policy::accessory),
        // No bundle identifier.
        app(std::nullopt, "tool", "/Applications/Tool.app"),
        // Named by its identifier when it has no name.
        app("com.example.nameless", "", "/Applications/Nameless.app"),
        // Background only.
        app("com.example.daemon", "Daemon", "/Applications/Daemon.app", Policy::prohibited),
        // Accessories of the system.
        app("com.apple.controlcenter", "Control Center", "/System/Library/CoreServices/ControlCenter.app",
            Policy::accessory),
        app("com.example.usr", "Usr agent", "/usr/libexec/Agent.app", Policy::accessory),
        app("com.apple.lib", "Lib agent", "/Library/Apple/System/Agent.app/", Policy::accessory),
        // A helper inside another application's bundle, at two depths.
        app("com.example.helper", "Helper", "/Applications/Host.app/Contents/Library/Helper.app",
            Policy::accessory),
        app("com.example.login", "Login", "/Applications/Host.app/Login.app", Policy::accessory),
        // An accessory that is not an application bundle, or has no location.
        app("com.example.bare", "Bare", "/Applications/bare-agent", Policy::accessory),
        app("com.example.nowhere", "Nowhere", std::nullopt, Policy::accessory),
        // A menu-bar application installed as a bundle of its own (a trailing "/" allowed).
        app("com.example.fernlight", "fernlight", "/Applications/Fernlight.app/", Policy::accessory),
        // A regular application counts wherever it lies.
        app("com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app"),
    });
    const std::vector<RuleAppChoice> expected = {
        {"com.example.alpha", "Alpha"},         {"com.example.app9", "App 9"},
        {"com.example.app10", "App 10"},        {"com.example.nameless", "com.example.nameless"},
        {"com.example.fernlight", "fernlight"}, {"com.apple.finder", "Finder"},
        {"com.example.zebra", "zebra"},
    };
    EXPECT_EQ(RuleApps::running(workspace, "app.trayvane.pellacor"), expected);
}

TEST(RuleAppsTest, RunningWithNothingToOfferIsEmpty) {
    pellacor::testing::FakeWorkspace workspace;
    EXPECT_TRUE(RuleApps::running(workspace, "app.trayvane.pellacor").empty());
    workspace.setApps({app("app.trayvane.pellacor", "Pellacor", "/Applications/Pellacor.app")});
    EXPECT_TRUE(RuleApps::running(workspace, "app.trayvane.pellacor").empty());
}

// A file manager that names a file by its last component, extension and all.
class PlainFiles final : public platform::FileManager {
public:
    std::filesystem::path homeDirectory() const override { return "/nonexistent"; }
    std::optional<std::vector<std::string>> contentsOfDirectory(const std::filesystem::path&) const override {
        return std::nullopt;
    }
    std::string displayName(const std::string& path) const override {
        std::filesystem::path file(path);
        return (file.has_filename() ? file : file.parent_path()).filename().string();
    }
};

struct ChooseTest : ::testing::Test {
    pellacor::testing::TempDir disk;
    std::filesystem::path applications = disk / "Applications";
    std::shared_ptr<PlainFiles> files = std::make_shared<PlainFiles>();
    std::vector<RuleApps::PanelRequest> asked;

    std::filesystem::path bundle(const std::string& name,
                                 const platform::PropertyListValue::Dictionary& info) {
        const auto path = applications / name;
        std::filesystem::create_directories(path / "Contents");
        EXPECT_TRUE(platform::PropertyListFile::write(path / "Contents" / "Info.plist", info));
        return path;
    }
    // The answer of a choice through `panel`, which must come.
    std::optional<RuleAppChoice> answerOf(const RuleApps::Panel& panel) {
        std::optional<std::optional<RuleAppChoice>> answer;
        RuleApps::chooseFromApplications(
            panel, applications, files,
            [&](std::optional<RuleAppChoice> chosen) { answer = std::move(chosen); });
        EXPECT_TRUE(answer) << "no answer came";
        return answer.value_or(std::nullopt);
    }
    std::optional<RuleAppChoice> choose(std::optional<std::filesystem::path> answer) {
        return answerOf([&](const RuleApps::PanelRequest& request, const RuleApps::PanelCompletion& done) {
            asked.push_back(request);
            done(answer);
            return RuleApps::PanelDismiss();
        });
    }
};

TEST_F(ChooseTest, TheChosenBundleGivesItsIdentifierAndItsNameWithoutTheExtension) {
    const auto foo = bundle("Foo.app", {{"CFBundleIdentifier", std::string("com.example.foo")}});
    EXPECT_EQ(choose(foo), (RuleAppChoice{"com.example.foo", "Foo"}));
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_EQ(asked[0].title, "アプリを選ぶ");
    EXPECT_EQ(asked[0].prompt, "選ぶ");
    EXPECT_EQ(asked[0].directory, applications);
    // The program itself may be chosen; nothing filters the choice.
    const auto self = bundle("Pellacor.app", {{"CFBundleIdentifier", std::string("app.trayvane.pellacor")}});
    EXPECT_EQ(choose(self.string() + "/"), (RuleAppChoice{"app.trayvane.pellacor", "Pellacor"}));
}

TEST_F(ChooseTest, ACancelledPanelOrABundleWithoutIdentifierGivesNothing) {
    EXPECT_EQ(choose(std::nullopt), std::nullopt);
    EXPECT_EQ(choose(bundle("Empty.app", {{"CFBundleName", std::string("Empty")}})), std::nullopt);
    EXPECT_EQ(choose(bundle("Blank.app", {{"CFBundleIdentifier", std::string()}})), std::nullopt);
    EXPECT_EQ(choose(bundle("Odd.app", {{"CFBundleIdentifier", platform::PropertyListValue::integer(7)}})),
              std::nullopt);
    EXPECT_EQ(choose(applications / "Missing.app"), std::nullopt);
    EXPECT_EQ(answerOf({}), std::nullopt);
}

TEST_F(ChooseTest, TheAnswerComesWhenThePanelEndsAndNeedsTheFileManagerThen) {
    const auto foo = bundle("Foo.app", {{"CFBundleIdentifier", std::string("com.example.foo")}});
    RuleApps::PanelCompletion pending;
    int dismissed = 0;
    const RuleApps::Panel panel = [&](const RuleApps::PanelRequest&, RuleApps::PanelCompletion done) {
        pending = std::move(done);
        return RuleApps::PanelDismiss([&] { ++dismissed; });
    };
    std::vector<std::optional<RuleAppChoice>> answers;
    const auto record = [&](std::optional<RuleAppChoice> chosen) { answers.push_back(std::move(chosen)); };

    const auto dismiss = RuleApps::chooseFromApplications(panel, applications, files, record);
    EXPECT_TRUE(answers.empty()) << "nothing before the panel ends";
    ASSERT_TRUE(dismiss) << "the panel's own way to take it away";
    dismiss();
    EXPECT_EQ(dismissed, 1);
    pending(foo);
    EXPECT_EQ(answers, (std::vector<std::optional<RuleAppChoice>>{RuleAppChoice{"com.example.foo", "Foo"}}));

    // The file manager gone while the panel was up: nothing to name the bundle by.
    RuleApps::chooseFromApplications(panel, applications, files, record);
    files.reset();
    pending(foo);
    ASSERT_EQ(answers.size(), 2U);
    EXPECT_EQ(answers[1], std::nullopt);
}

} // namespace

} // namespace PELLACOR_TEST_FILE
