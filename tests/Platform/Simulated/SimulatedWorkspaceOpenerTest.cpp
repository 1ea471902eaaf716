#include "Platform/Simulated/SimulatedWorkspaceOpener.h"

#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedSystemSettings.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;

namespace {

using Page = SimulatedSystemSettings::Page;
using Error = std::optional<std::int64_t>;

struct SimulatedWorkspaceOpenerTest : ::testing::Test {
    SimulatedPlatform platform;
    SimulatedWorkspaceOpener& opener = *platform.workspaceOpener();
    int started = 0;
    std::vector<Error> answers;

    void open(const std::string& path, bool newInstance) {
        opener.openApplication(path, {newInstance}, [this](Error error) { answers.push_back(error); });
    }
    std::string ownBundle() const { return platform.desktop()->ownBundlePath().string(); }
};

} // namespace

TEST(SimulatedSystemSettingsTest, ReadsThePageADeepLinkNames) {
    const struct {
        const char* url;
        std::optional<Page> page;
    } cases[] = {
        {"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
         Page{"com.apple.preference.security", "Privacy_Accessibility"}},
        {"x-apple.systempreferences:com.apple.LoginItems-Settings.extension",
         Page{"com.apple.LoginItems-Settings.extension", ""}},
        {"x-apple.systempreferences:", std::nullopt},
        {"x-apple.systempreferences:?Privacy_Accessibility", std::nullopt},
        {"https://pellacor.app/help", std::nullopt},
        {"mailto:support@pellacor.app", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SimulatedSystemSettings::page(c.url), c.page) << c.url;
    }
}

TEST_F(SimulatedWorkspaceOpenerTest, ASettingsDeepLinkOpensTheSettingsAtItsPageAndTellsTheirWatchers) {
    const auto& settings = *platform.systemSettings();
    int told = 0;
    const auto id = platform.systemSettings()->addObserver([&] { ++told; });
    EXPECT_FALSE(opener.openURL("https://pellacor.app")) << "nothing handles other URLs here";
    EXPECT_FALSE(settings.openPage());

    EXPECT_TRUE(
        opener.openURL("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_EQ(settings.openPage(),
              (Page{SimulatedSystemSettings::securityPane, SimulatedSystemSettings::accessibilityAnchor}));
    EXPECT_TRUE(
        opener.openURL("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_EQ(settings.openings(), 2U) << "opened again, it comes to the front again";
    EXPECT_EQ(told, 2);
    platform.systemSettings()->removeObserver(id);
}

TEST_F(SimulatedWorkspaceOpenerTest, TheOwnBundleAsANewInstanceStartsTheProgramThroughTheStarter) {
    open(ownBundle(), true);
    EXPECT_EQ(answers, std::vector<Error>{SimulatedWorkspaceOpener::cannotStartError}) << "no starter given";

    answers.clear();
    opener.setProgramStarter([this]() -> Error {
        ++started;
        return std::nullopt;
    });
    open(ownBundle(), true);
    open(ownBundle() + "/", true);
    EXPECT_EQ(started, 2) << "the same bundle, written with a trailing separator";
    EXPECT_EQ(answers, (std::vector<Error>{std::nullopt, std::nullopt}));

    answers.clear();
    opener.setProgramStarter([]() -> Error { return 8; });
    open(ownBundle(), true);
    EXPECT_EQ(answers, std::vector<Error>{8}) << "the starter's error";
}

TEST_F(SimulatedWorkspaceOpenerTest, OtherOpeningsStartNothing) {
    opener.setProgramStarter([this]() -> Error {
        ++started;
        return std::nullopt;
    });
    open(ownBundle(), false);
    open("/Applications/Fernlight.app", true);
    open("", true);
    EXPECT_EQ(started, 0);
    EXPECT_EQ(answers, (std::vector<Error>{std::nullopt, SimulatedWorkspaceOpener::noSuchApplicationError,
                                           SimulatedWorkspaceOpener::noSuchApplicationError}))
        << "the running program is only activated; no other bundle can be opened";
}

} // namespace PELLACOR_TEST_FILE
