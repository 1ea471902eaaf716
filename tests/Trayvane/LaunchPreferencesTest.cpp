#include "Trayvane/Launch/LaunchPreferences.h"

#include "Support/DefaultsHome.h"
#include "Support/FakeLoginItem.h"
#include "Support/LogCapture.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Settings/RevealPreferences.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::DefaultsKey;
using coordinator::PauseReason;
using platform::PropertyListValue;
using system::LoginItemStatus;
using system::UnavailableReason;

namespace {

std::string describe(const std::optional<PauseReason>& reason) {
    return reason ? toString(*reason) : "not paused";
}

struct LaunchPreferencesTest : ::testing::Test {
    pellacor::testing::DefaultsHome home;
    app::LaunchPreferences launch{home.defaults};
    pellacor::testing::LogCapture log;
    pellacor::testing::FakeLoginItem loginItem;

    std::vector<std::string> lines() const { return log.lines("app"); }
    std::optional<PropertyListValue> applied() const {
        return home.reopened().object(DefaultsKey::loginItemDefaultApplied);
    }
};

} // namespace

TEST_F(LaunchPreferencesTest, PausesForAChangedSystemVersionFirstThenForAHeldKey) {
    struct Case {
        const char* name;
        std::optional<PropertyListValue> confirmed;
        bool modifierHeld;
        std::optional<PauseReason> expected;
    };
    const Case cases[] = {
        {"first run, no key", std::nullopt, false, std::nullopt},
        {"first run, key held", std::nullopt, true, PauseReason::optionKeyAtLaunch()},
        {"an empty version counts as none", PropertyListValue(""), false, std::nullopt},
        {"same version, no key", PropertyListValue("27.1.0"), false, std::nullopt},
        {"same version, key held", PropertyListValue("27.1.0"), true, PauseReason::optionKeyAtLaunch()},
        {"changed version, no key", PropertyListValue("27.0.2"), false, PauseReason::osVersionChanged()},
        {"changed version wins over the key", PropertyListValue("27.0.2"), true,
         PauseReason::osVersionChanged()},
        {"an older version is a change too", PropertyListValue("28.0.0"), false,
         PauseReason::osVersionChanged()},
        {"a number is not a version", PropertyListValue::integer(27), false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.confirmed) {
            ASSERT_TRUE(home.defaults.set(DefaultsKey::confirmedOSVersion, *c.confirmed));
        } else {
            ASSERT_TRUE(home.defaults.remove(DefaultsKey::confirmedOSVersion));
        }
        EXPECT_EQ(describe(launch.pauseReasonAtLaunch(c.modifierHeld, "27.1.0")), describe(c.expected));
        EXPECT_EQ(home.defaults.object(DefaultsKey::confirmedOSVersion), c.confirmed)
            << "the decision confirms nothing";
    }
}

TEST_F(LaunchPreferencesTest, AChangedVersionIsLoggedWithTheOldAndTheNew) {
    ASSERT_TRUE(home.defaults.setString(DefaultsKey::confirmedOSVersion, "27.0.2"));
    launch.pauseReasonAtLaunch(true, "27.1.0");
    launch.pauseReasonAtLaunch(true, "27.0.2");
    EXPECT_EQ(lines(),
              std::vector<std::string>{
                  "info: macOS のバージョンが変わりました（27.0.2 → 27.1.0）。一時停止で起動します"});
}

TEST_F(LaunchPreferencesTest, ConfirmingRemembersANewVersionOnceAndLogsIt) {
    launch.confirmOSVersion("27.1.0");
    launch.confirmOSVersion("27.1.0");
    launch.confirmOSVersion("27.2.0");
    EXPECT_EQ(home.reopened().string(DefaultsKey::confirmedOSVersion), "27.2.0");
    EXPECT_EQ(lines(), (std::vector<std::string>{"info: macOS 27.1.0 を確かめたバージョンとして覚えました",
                                                 "info: macOS 27.2.0 を確かめたバージョンとして覚えました"}));
    EXPECT_EQ(describe(launch.pauseReasonAtLaunch(false, "27.2.0")), "not paused");
}

TEST_F(LaunchPreferencesTest, TheLoginItemDefaultIsAppliedOnceAndOnlyWhenItTakes) {
    using Result = pellacor::testing::FakeLoginItem::Result;
    struct Case {
        const char* name;
        LoginItemStatus status;
        Result answer;
        bool expectRegistration;
        bool expectApplied;
        std::vector<std::string> expectLines;
    };
    const std::vector<Case> cases{
        {"already on by the user",
         LoginItemStatus::enabled,
         Result::ok(LoginItemStatus::enabled),
         false,
         true,
         {}},
        {"waiting for approval",
         LoginItemStatus::requiresApproval,
         Result::ok(LoginItemStatus::enabled),
         false,
         true,
         {}},
        {"turned on",
         LoginItemStatus::notRegistered,
         Result::ok(LoginItemStatus::enabled),
         true,
         true,
         {"default: ログイン時に起動を入れました（既定。状態 enabled）"}},
        {"turned on, approval needed",
         LoginItemStatus::notFound,
         Result::ok(LoginItemStatus::requiresApproval),
         true,
         true,
         {"default: ログイン時に起動を入れました（既定。状態 requiresApproval）"}},
        {"registered but still off",
         LoginItemStatus::notRegistered,
         Result::ok(LoginItemStatus::notRegistered),
         true,
         false,
         {"default: ログイン時に起動を入れました（既定。状態 notRegistered）"}},
        {"not found afterwards",
         LoginItemStatus::notRegistered,
         Result::ok(LoginItemStatus::notFound),
         true,
         false,
         {"default: ログイン時に起動を入れました（既定。状態 notFound）"}},
        {"refused",
         LoginItemStatus::notRegistered,
         Result::unavailable(UnavailableReason::systemError(22)),
         true,
         false,
         {"error: ログイン時に起動を入れられませんでした（systemError(22)）"}},
        {"no answer in time", LoginItemStatus::notRegistered, Result::timeout(), true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(home.defaults.remove(DefaultsKey::loginItemDefaultApplied));
        log.clear();
        loginItem = pellacor::testing::FakeLoginItem{};
        loginItem.currentStatus = c.status;
        loginItem.answer = c.answer;

        launch.applyLoginItemDefault(loginItem, true);

        EXPECT_EQ(loginItem.setEnabledCalls,
                  c.expectRegistration ? std::vector<bool>{true} : std::vector<bool>{});
        EXPECT_EQ(applied(),
                  c.expectApplied ? std::optional(PropertyListValue::boolean(true)) : std::nullopt);
        EXPECT_EQ(lines(), c.expectLines);
    }
}

TEST_F(LaunchPreferencesTest, AFailedDefaultIsTriedAgainAtTheNextLaunchAndAnAppliedOneNever) {
    loginItem.answer =
        pellacor::testing::FakeLoginItem::Result::unavailable(UnavailableReason::systemError(1));
    launch.applyLoginItemDefault(loginItem, true);
    app::LaunchPreferences nextLaunch(home.reopened());
    loginItem.answer = pellacor::testing::FakeLoginItem::Result::ok(LoginItemStatus::enabled);
    nextLaunch.applyLoginItemDefault(loginItem, true);
    EXPECT_EQ(loginItem.setEnabledCalls.size(), 2u);

    // The user turns it off later: the default is not applied again.
    loginItem.currentStatus = LoginItemStatus::notRegistered;
    app::LaunchPreferences(home.reopened()).applyLoginItemDefault(loginItem, true);
    EXPECT_EQ(loginItem.setEnabledCalls.size(), 2u);
}

TEST_F(LaunchPreferencesTest, OutsideTheApplicationsFolderNothingHappensUntilTheProgramIsMovedIn) {
    launch.applyLoginItemDefault(loginItem, false);
    EXPECT_TRUE(loginItem.setEnabledCalls.empty());
    EXPECT_EQ(applied(), std::nullopt);
    EXPECT_TRUE(lines().empty());

    launch.applyLoginItemDefault(loginItem, true);
    EXPECT_EQ(loginItem.setEnabledCalls, std::vector<bool>{true});
    EXPECT_EQ(applied(), PropertyListValue::boolean(true));
}

TEST_F(LaunchPreferencesTest, TheAppliedFlagIsReadWithTheConvertingBoolRead) {
    ASSERT_TRUE(home.defaults.setString(DefaultsKey::loginItemDefaultApplied, "YES"));
    launch.applyLoginItemDefault(loginItem, true);
    EXPECT_TRUE(loginItem.setEnabledCalls.empty());
}

TEST(RevealPreferencesTest, EachSwitchTakesOnlyItsTypeElseItsDefault) {
    using Read = std::function<std::string(const app::RevealPreferences&)>;
    const auto flag = [](bool b) { return std::string(b ? "on" : "off"); };
    const auto optionalFlag = [&](std::optional<bool> b) { return b ? flag(*b) : std::string("none"); };
    struct Accessor {
        const char* key;
        Read read;
        // Read when absent, when given its own type, and when given another.
        std::string absent;
        PropertyListValue own;
        std::string ownRead;
    };
    const Accessor accessors[] = {
        {DefaultsKey::userSwitcherStandInEnabled, [&](auto& p) { return flag(p.userSwitcherStandIn()); },
         "on", PropertyListValue::boolean(false), "off"},
        {DefaultsKey::dragSortEnabled, [&](auto& p) { return flag(p.dragSort()); }, "on",
         PropertyListValue::boolean(false), "off"},
        {DefaultsKey::notchOverflowEnabled, [&](auto& p) { return flag(p.notchOverflow()); }, "on",
         PropertyListValue::boolean(false), "off"},
        {DefaultsKey::realUserSwitcherInBar, [&](auto& p) { return optionalFlag(p.realUserSwitcherInBar()); },
         "none", PropertyListValue::boolean(false), "off"},
        {DefaultsKey::realUserSwitcherWidth,
         [](auto& p) {
             return p.realUserSwitcherWidth() ? std::to_string(*p.realUserSwitcherWidth()) : "none";
         },
         "none", PropertyListValue::real(30.5), std::to_string(30.5)},
    };
    for (const auto& a : accessors) {
        SCOPED_TRACE(a.key);
        pellacor::testing::DefaultsHome home;
        const app::RevealPreferences preferences(home.defaults);
        EXPECT_EQ(a.read(preferences), a.absent);
        ASSERT_TRUE(home.defaults.set(a.key, a.own));
        EXPECT_EQ(a.read(preferences), a.ownRead);
        for (const auto& other : {PropertyListValue("NO"), PropertyListValue(PropertyListValue::Data{0}),
                                  PropertyListValue(PropertyListValue::Array{})}) {
            ASSERT_TRUE(home.defaults.set(a.key, other));
            EXPECT_EQ(a.read(preferences), a.absent) << "another type reads as absent";
        }
    }
    pellacor::testing::DefaultsHome home;
    ASSERT_TRUE(home.defaults.set(DefaultsKey::realUserSwitcherWidth, PropertyListValue::integer(30)));
    ASSERT_TRUE(home.defaults.set(DefaultsKey::dragSortEnabled, PropertyListValue::integer(0)));
    const app::RevealPreferences preferences(home.defaults);
    EXPECT_EQ(preferences.realUserSwitcherWidth(), 30.0) << "a whole number is a width too";
    EXPECT_TRUE(preferences.dragSort()) << "a number is not a switch's Boolean";
}

} // namespace PELLACOR_TEST_FILE
