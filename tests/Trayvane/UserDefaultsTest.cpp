#include "Trayvane/Common/UserDefaults.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedStatusBar.h"
#include "Support/BinaryPlistBuilder.h"
#include "Support/DefaultsHome.h"
#include "Support/ForkedChild.h"
#include "Support/LogCapture.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Launch/LaunchPreferences.h"
#include "Trayvane/Settings/RevealPreferences.h"

#include <cmath>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::DefaultsKey;
using app::UserDefaults;
using platform::PropertyListFile;
using platform::PropertyListValue;

namespace {

struct UserDefaultsTest : ::testing::Test {
    pellacor::testing::DefaultsHome home;
    UserDefaults& defaults = home.defaults;

    PropertyListValue::Dictionary fileContents() const {
        const auto read = PropertyListFile::read(defaults.file());
        EXPECT_EQ(read.status, PropertyListFile::ReadResult::Status::ok);
        return read.dictionary;
    }
};

} // namespace

TEST_F(UserDefaultsTest, IsThePropertyListOfTheBundleIdentifierInTheHomeFolder) {
    EXPECT_EQ(defaults.file(), home.home.home() / "Library/Preferences/app.trayvane.pellacor.plist");
    EXPECT_EQ(UserDefaults::domainFile("/Users/me", core::bundleIdentifier),
              std::filesystem::path("/Users/me/Library/Preferences/app.trayvane.pellacor.plist"));
    EXPECT_EQ(defaults.file(),
              platform::SimulatedStatusBar::domainFile(home.home.home(), std::string(core::bundleIdentifier)))
        << "the status bar reads the stand-in's position from the same file";
}

TEST_F(UserDefaultsTest, ATypedReadTakesOnlyItsOwnTypeAndTheBoolReadConverts) {
    struct Case {
        const char* name;
        std::optional<PropertyListValue> stored;
        std::optional<std::string> string;
        std::optional<bool> boolValue;
        std::optional<double> number;
        bool boolean;
    };
    const Case cases[] = {
        {"absent", std::nullopt, {}, {}, {}, false},
        {"true", PropertyListValue::boolean(true), {}, true, {}, true},
        {"false", PropertyListValue::boolean(false), {}, false, {}, false},
        {"integer", PropertyListValue::integer(3), {}, {}, 3.0, true},
        {"integer zero", PropertyListValue::integer(0), {}, {}, 0.0, false},
        {"real", PropertyListValue::real(2.5), {}, {}, 2.5, true},
        {"text", PropertyListValue("26.1.0"), "26.1.0", {}, {}, false},
        {"yes", PropertyListValue("YES"), "YES", {}, {}, true},
        {"date", PropertyListValue(PropertyListValue::Date{100, 0}), {}, {}, {}, false},
        {"data", PropertyListValue(PropertyListValue::Data{1, 2}), {}, {}, {}, false},
        {"array",
         PropertyListValue(PropertyListValue::Array{PropertyListValue::boolean(true)}),
         {},
         {},
         {},
         false},
        {"dictionary",
         PropertyListValue(PropertyListValue::Dictionary{{"a", PropertyListValue::boolean(true)}}),
         {},
         {},
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored) {
            ASSERT_TRUE(defaults.set("key", *c.stored));
        } else {
            ASSERT_TRUE(defaults.remove("key"));
        }
        EXPECT_EQ(defaults.object("key"), c.stored);
        EXPECT_EQ(defaults.string("key"), c.string);
        EXPECT_EQ(defaults.boolValue("key"), c.boolValue);
        EXPECT_EQ(defaults.number("key"), c.number);
        EXPECT_EQ(defaults.boolean("key"), c.boolean);
    }
}

TEST(UserDefaultsBooleanTest, NumbersAreTrueUnlessZeroAndTextsOnlyForYesTrueOrANonZeroNumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        PropertyListValue value;
        bool expected;
    };
    const Case cases[] = {
        {PropertyListValue::integer(1), true},    {PropertyListValue::integer(-7), true},
        {PropertyListValue::integer(0), false},   {PropertyListValue::real(0.25), true},
        {PropertyListValue::real(0.0), false},    {PropertyListValue::real(-0.0), false},
        {PropertyListValue::real(nan), false},    {PropertyListValue("yes"), true},
        {PropertyListValue("Yes"), true},         {PropertyListValue(" TRUE\n"), true},
        {PropertyListValue("true"), true},        {PropertyListValue("1"), true},
        {PropertyListValue("-2"), true},          {PropertyListValue("+0.5"), true},
        {PropertyListValue("007"), true},         {PropertyListValue("0"), false},
        {PropertyListValue("-0.00"), false},      {PropertyListValue("."), false},
        {PropertyListValue("1.2.3"), false},      {PropertyListValue("1e3"), false},
        {PropertyListValue("no"), false},         {PropertyListValue("on"), false},
        {PropertyListValue("y"), false},          {PropertyListValue("yes please"), false},
        {PropertyListValue(""), false},           {PropertyListValue("１"), false},
        {PropertyListValue::boolean(true), true}, {PropertyListValue::boolean(false), false},
    };
    for (const auto& c : cases) {
        const auto* text = c.value.stringValue();
        SCOPED_TRACE(text ? fmt::format("\"{}\"", *text)
                          : fmt::format("kind {}", static_cast<int>(c.value.kind())));
        EXPECT_EQ(UserDefaults::booleanOf(c.value), c.expected);
    }
}

TEST_F(UserDefaultsTest, EveryWriteReachesTheFileAtOnceWithItsType) {
    ASSERT_TRUE(defaults.setBool(DefaultsKey::dragSortEnabled, false));
    ASSERT_TRUE(defaults.setString(DefaultsKey::confirmedOSVersion, "27.0.1"));
    ASSERT_TRUE(defaults.setNumber(DefaultsKey::realUserSwitcherWidth, 31.5));
    ASSERT_TRUE(defaults.setBool(DefaultsKey::realUserSwitcherInBar, true));
    ASSERT_TRUE(defaults.remove(DefaultsKey::realUserSwitcherInBar));

    EXPECT_EQ(fileContents(), (PropertyListValue::Dictionary{
                                  {DefaultsKey::dragSortEnabled, PropertyListValue::boolean(false)},
                                  {DefaultsKey::confirmedOSVersion, PropertyListValue("27.0.1")},
                                  {DefaultsKey::realUserSwitcherWidth, PropertyListValue::real(31.5)},
                              }));
}

TEST_F(UserDefaultsTest, AWriteThatCannotBeStoredStaysPendingUntilTheNextOneStores) {
    home.home.preferences->failSynchronize = true;
    EXPECT_FALSE(defaults.setBool(DefaultsKey::hoverRevealEnabled, true));
    EXPECT_EQ(defaults.boolValue(DefaultsKey::hoverRevealEnabled), true) << "this run reads what it wrote";
    EXPECT_EQ(home.reopened().boolValue(DefaultsKey::hoverRevealEnabled), std::nullopt) << "not in the file";

    home.home.preferences->failSynchronize = false;
    EXPECT_TRUE(defaults.setBool(DefaultsKey::belowBarEnabled, true));
    const auto later = home.reopened();
    EXPECT_EQ(later.boolValue(DefaultsKey::hoverRevealEnabled), true);
    EXPECT_EQ(later.boolValue(DefaultsKey::belowBarEnabled), true);
}

TEST_F(UserDefaultsTest, TextNoFileCanHoldIsRefusedAndLeavesLaterWritesWorking) {
    EXPECT_FALSE(defaults.setString(DefaultsKey::confirmedOSVersion, "27\xff"));
    EXPECT_EQ(defaults.object(DefaultsKey::confirmedOSVersion), std::nullopt);
    EXPECT_TRUE(defaults.setBool(DefaultsKey::notchOverflowEnabled, false));
    EXPECT_EQ(home.reopened().boolValue(DefaultsKey::notchOverflowEnabled), false);
}

// An entry something else wrote in text that is not UTF-8 used to make every
// later write of the file fail; now it is kept byte for byte beside ours.
TEST_F(UserDefaultsTest, AForeignEntryThatIsNotUtf8NeverBlocksTheProgramsWrites) {
    const std::string foreignKey = "caf\xe9";
    const std::string foreignText = "na\xefve";
    pellacor::testing::BinaryPlistBuilder plist;
    const auto bytes = plist.bytes(plist.dictionary({{plist.ascii(foreignKey), plist.ascii(foreignText)}}));
    std::filesystem::create_directories(defaults.file().parent_path());
    std::ofstream(defaults.file(), std::ios::binary | std::ios::trunc) << bytes;

    pellacor::testing::LogCapture log;
    EXPECT_TRUE(defaults.setBool(DefaultsKey::belowBarEnabled, true));
    EXPECT_TRUE(defaults.setBool(DefaultsKey::loginItemDefaultApplied, true));
    const auto later = home.reopened();
    EXPECT_EQ(later.boolValue(DefaultsKey::belowBarEnabled), true);
    EXPECT_EQ(later.boolValue(DefaultsKey::loginItemDefaultApplied), true);
    EXPECT_EQ(later.object(foreignKey), PropertyListValue(foreignText));
    EXPECT_TRUE(log.matching("書けません").empty());
}

TEST_F(UserDefaultsTest, AWriteThatFailsIsLoggedAsAnError) {
    pellacor::testing::LogCapture log;
    home.home.preferences->failSynchronize = true;
    EXPECT_FALSE(defaults.setBool(DefaultsKey::hoverRevealEnabled, true));
    const auto lines = log.matching(defaults.file().string());
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines.front().level, pellacor::core::LogLevel::error);
    EXPECT_NE(lines.front().message.find(DefaultsKey::hoverRevealEnabled), std::string::npos);
}

TEST_F(UserDefaultsTest, SwitchesWrittenHereAreReadIntactByANewProcessAndTheOtherWayRound) {
    app::RevealPreferences reveal(defaults);
    app::LaunchPreferences launch(defaults);
    ASSERT_TRUE(defaults.setBool(DefaultsKey::hoverRevealEnabled, true));
    ASSERT_TRUE(defaults.setBool(DefaultsKey::userSwitcherStandInEnabled, false));
    ASSERT_TRUE(defaults.setBool(DefaultsKey::dragSortEnabled, false));
    ASSERT_TRUE(defaults.setBool(DefaultsKey::realUserSwitcherInBar, true));
    ASSERT_TRUE(defaults.setNumber(DefaultsKey::realUserSwitcherWidth, 27.25));
    launch.confirmOSVersion("27.3.0");

    // The child reads through fresh preferences, as the next launch would, and
    // answers which reading (if any) came out wrong.
    const int firstWrong = pellacor::testing::ForkedChild::run([&] {
        const UserDefaults later = home.reopened();
        const app::RevealPreferences reveal(later);
        const app::LaunchPreferences launch(later);
        const bool reads[] = {
            later.boolean(DefaultsKey::hoverRevealEnabled),
            !later.boolean(DefaultsKey::belowBarEnabled),
            !reveal.userSwitcherStandIn(),
            !reveal.dragSort(),
            reveal.notchOverflow(),
            reveal.realUserSwitcherInBar() == true,
            reveal.realUserSwitcherWidth() == 27.25,
            !launch.pauseReasonAtLaunch(false, "27.3.0").has_value(),
        };
        for (int i = 0; i < static_cast<int>(std::size(reads)); ++i) {
            if (!reads[i]) {
                return i + 1;
            }
        }
        // Then it changes two of them for this process to read.
        UserDefaults writable = later;
        return writable.setBool(DefaultsKey::notchOverflowEnabled, false) &&
                       writable.remove(DefaultsKey::realUserSwitcherWidth)
                   ? 0
                   : 100;
    });
    EXPECT_EQ(firstWrong, 0);

    const app::RevealPreferences reread(home.reopened());
    EXPECT_FALSE(reread.notchOverflow());
    EXPECT_EQ(reread.realUserSwitcherWidth(), std::nullopt);
    EXPECT_FALSE(reread.dragSort()) << "what the child left alone is still there";
}

} // namespace PELLACOR_TEST_FILE
