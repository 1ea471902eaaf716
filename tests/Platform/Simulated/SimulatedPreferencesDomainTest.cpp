#include "Platform/Simulated/SimulatedPreferencesDomain.h"

#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedFileManager.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using pellacor::testing::TempDir;
using Dictionary = PropertyListValue::Dictionary;

namespace {

class SimulatedPreferencesDomainTest : public ::testing::Test {
protected:
    SimulatedPreferencesDomainTest() {
        desktop->setHomeFolder(home.path());
        desktop->setMenuBarContainerGranted(true);
    }

    std::string domainIn(const std::string& relative) const { return (home / relative).string(); }

    TempDir home;
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>();
    SimulatedPreferencesDomain preferences{desktop};
    const std::string menuBarDomain = MenuBarLayoutFile::location(home.path()).string();
};

TEST_F(SimulatedPreferencesDomainTest, SetValuesShowAtOnceAndReachTheFileOnSynchronise) {
    const auto domain = domainIn("Library/Preferences/com.example.plist");
    ASSERT_TRUE(PropertyListFile::write(
        home.write("Library/Preferences/com.example.plist", ""),
        Dictionary{{"kept", PropertyListValue("as it was")}, {"dropped", PropertyListValue::integer(1)}}));
    const auto before = TempDir::read(domain);

    preferences.setValue("added", PropertyListValue::real(2.5), domain);
    preferences.setValue("dropped", std::nullopt, domain);
    EXPECT_EQ(preferences.copyValue("added", domain), PropertyListValue::real(2.5));
    EXPECT_EQ(preferences.copyValue("dropped", domain), std::nullopt);
    EXPECT_EQ(TempDir::read(domain), before);

    ASSERT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(
        PropertyListFile::read(domain).dictionary,
        (Dictionary{{"kept", PropertyListValue("as it was")}, {"added", PropertyListValue::real(2.5)}}));
    EXPECT_EQ(preferences.copyValue("kept", domain), PropertyListValue("as it was"));
}

TEST_F(SimulatedPreferencesDomainTest, SynchroniseCreatesTheFileAndItsFolders) {
    const auto domain = domainIn("Library/Group Containers/g/Library/Preferences/g.plist");
    preferences.setValue("key", PropertyListValue::boolean(true), domain);
    ASSERT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(PropertyListFile::read(domain).dictionary,
              (Dictionary{{"key", PropertyListValue::boolean(true)}}));
    // Nothing pending: synchronising again changes nothing and succeeds.
    const auto written = TempDir::read(domain);
    EXPECT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(TempDir::read(domain), written);
}

TEST_F(SimulatedPreferencesDomainTest, AnUnreadableFileIsNeverOverwritten) {
    const auto domain = home.write("Library/Preferences/broken.plist", "half a file").string();
    EXPECT_EQ(preferences.copyValue("key", domain), std::nullopt);
    preferences.setValue("key", PropertyListValue::integer(1), domain);
    EXPECT_FALSE(preferences.synchronize(domain));
    EXPECT_EQ(TempDir::read(domain), "half a file");
    // What was not written is not read back either.
    EXPECT_EQ(preferences.copyValue("key", domain), std::nullopt);
}

// A write that did not happen must not look as if it had: the file's own value
// reads again after the failed synchronise.
TEST_F(SimulatedPreferencesDomainTest, AFailedSynchroniseDropsWhatItCouldNotWrite) {
    const auto domain = domainIn("Library/Preferences/com.example.plist");
    std::filesystem::create_directories(std::filesystem::path(domain).parent_path());
    ASSERT_TRUE(PropertyListFile::write(domain, Dictionary{{"key", PropertyListValue::integer(1)}}));
    const auto before = TempDir::read(domain);
    // Text with a NUL has no form in any property-list file: the write fails.
    preferences.setValue("key", PropertyListValue(std::string("a\0b", 3)), domain);
    EXPECT_EQ(preferences.copyValue("key", domain), PropertyListValue(std::string("a\0b", 3)))
        << "pending until then";
    const bool written = preferences.synchronize(domain);
    EXPECT_FALSE(written);
    EXPECT_EQ(TempDir::read(domain), before);
    EXPECT_EQ(preferences.copyValue("key", domain), PropertyListValue::integer(1));
    // Nothing is left over to be written later behind the caller's back.
    EXPECT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(TempDir::read(domain), before);
}

// A file that cannot be read is logged as an error, with its path and why,
// once however often it is read, and again once it broke anew after reading.
TEST_F(SimulatedPreferencesDomainTest, AnUnreadableFileIsLoggedOnceWithItsPathAndReason) {
    struct Case {
        const char* what;
        std::function<std::filesystem::path()> make;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"not a property list",
         [this] { return home.write("Library/Preferences/broken.plist", "half a file"); },
         "it is not a property list whose top level is a dictionary, or it passes a bound"},
        {"a folder in its place",
         [this] {
             std::filesystem::create_directories(home / "Library/Preferences/folder.plist");
             return home / "Library/Preferences/folder.plist";
         },
         "通常のファイルではありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pellacor::testing::LogCapture log;
        const auto file = c.make();
        const auto domain = file.string();
        EXPECT_EQ(preferences.copyValue("key", domain), std::nullopt);
        EXPECT_EQ(preferences.copyValue("other", domain), std::nullopt);
        preferences.setValue("key", PropertyListValue::integer(1), domain);
        EXPECT_FALSE(preferences.synchronize(domain));
        const auto lines = log.lines("preferences");
        ASSERT_EQ(lines.size(), 1U);
        EXPECT_EQ(lines[0], "error: cannot read the preference file " + domain + ": " + c.reason +
                                "; its values are ignored, and it is not overwritten");
        EXPECT_EQ(log.records()[0].subsystem, "app.trayvane.pellacor");

        std::filesystem::remove_all(file);
        // The failed synchronise dropped the value; set anew, it is written.
        preferences.setValue("key", PropertyListValue::integer(1), domain);
        EXPECT_TRUE(preferences.synchronize(domain)) << "readable again: the value is stored";
        EXPECT_EQ(preferences.copyValue("key", domain), PropertyListValue::integer(1));
        std::filesystem::remove_all(file);
        c.make();
        EXPECT_EQ(preferences.copyValue("other", domain), std::nullopt);
        EXPECT_EQ(log.lines("preferences").size(), 2U) << "broken anew, it is logged anew";
    }
}

TEST_F(SimulatedPreferencesDomainTest, OnlyAbsolutePathsNameDomains) {
    preferences.setValue("key", PropertyListValue::integer(1), "com.example.app");
    EXPECT_FALSE(preferences.synchronize("com.example.app"));
    EXPECT_EQ(preferences.copyValue("key", "com.example.app"), std::nullopt);
}

TEST_F(SimulatedPreferencesDomainTest, TheMenuBarContainerIsClosedUntilGranted) {
    ASSERT_TRUE(PropertyListFile::write(
        home.write(MenuBarLayoutFile::location(home.path()).lexically_relative(home.path()).string(), ""),
        Dictionary{{"key", PropertyListValue::integer(1)}}));
    std::filesystem::create_directory_symlink(MenuBarLayoutFile::container(home.path()), home / "link");
    const auto throughLink = (home / "link" / MenuBarLayoutFile::preferencesFile).string();
    const auto before = TempDir::read(menuBarDomain);

    desktop->setMenuBarContainerGranted(false);
    for (const auto& domain : {menuBarDomain, throughLink}) {
        EXPECT_EQ(preferences.copyValue("key", domain), std::nullopt) << domain;
        preferences.setValue("key", PropertyListValue::integer(2), domain);
        EXPECT_FALSE(preferences.synchronize(domain)) << domain;
    }
    EXPECT_EQ(TempDir::read(menuBarDomain), before);
    // The rest of the home folder stays open.
    const auto elsewhere = domainIn("Library/Preferences/com.example.plist");
    preferences.setValue("key", PropertyListValue::integer(3), elsewhere);
    EXPECT_TRUE(preferences.synchronize(elsewhere));

    // The refused values were dropped: granting later writes nothing of them.
    desktop->setMenuBarContainerGranted(true);
    EXPECT_EQ(preferences.copyValue("key", menuBarDomain), PropertyListValue::integer(1));
    EXPECT_TRUE(preferences.synchronize(menuBarDomain));
    EXPECT_EQ(TempDir::read(menuBarDomain), before);
}

TEST_F(SimulatedPreferencesDomainTest, SynchronisingTheMenuBarDomainUpdatesTheBarsTable) {
    int menuBarChanges = 0;
    desktop->addObserver([&](SimulatedDesktop::Change change) {
        menuBarChanges += change == SimulatedDesktop::Change::menuBar ? 1 : 0;
    });
    const std::string key(MenuBarLayoutFile::positionsKey);
    preferences.setValue(
        key,
        PropertyListValue(Dictionary{{"status:com.example.a::Item-0", PropertyListValue::real(3)},
                                     {"status:com.example.b::Item-0", PropertyListValue::integer(4)},
                                     {"flag", PropertyListValue::boolean(true)}}),
        menuBarDomain);
    EXPECT_TRUE(desktop->layoutTable().empty());
    ASSERT_TRUE(preferences.synchronize(menuBarDomain));
    EXPECT_EQ(desktop->layoutTable(), (std::map<std::string, double>{{"status:com.example.a::Item-0", 3},
                                                                     {"status:com.example.b::Item-0", 4}}));
    EXPECT_EQ(menuBarChanges, 1);
    // The same table again is no change.
    ASSERT_TRUE(preferences.synchronize(menuBarDomain));
    EXPECT_EQ(menuBarChanges, 1);
}

TEST(SimulatedFileManagerTest, ListsFoldersTheProgramMayReach) {
    TempDir home;
    auto desktop = std::make_shared<SimulatedDesktop>();
    SimulatedFileManager files(desktop);
    EXPECT_EQ(files.homeDirectory(), std::filesystem::path(SimulatedFileManager::noHome));
    EXPECT_EQ(files.contentsOfDirectory(files.homeDirectory()), std::nullopt);

    desktop->setHomeFolder(home.path());
    EXPECT_EQ(files.homeDirectory(), home.path());
    home.write("Library/Group Containers/com.apple.MenuBar/Library/Preferences/x.plist", "");
    home.write("Library/Group Containers/com.example.group/b", "");
    home.write("Library/Group Containers/com.example.group/a", "");
    const auto container = MenuBarLayoutFile::container(home.path());

    EXPECT_EQ(files.contentsOfDirectory(home / "Library/Group Containers/com.example.group"),
              (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(files.contentsOfDirectory(container), std::nullopt);
    EXPECT_EQ(files.contentsOfDirectory(container / "Library"), std::nullopt);
    EXPECT_EQ(files.contentsOfDirectory(container / "."), std::nullopt);
    EXPECT_EQ(files.contentsOfDirectory(home / "missing"), std::nullopt);
    EXPECT_EQ(files.contentsOfDirectory(home / "Library/Group Containers/com.example.group/a"), std::nullopt);

    desktop->setMenuBarContainerGranted(true);
    EXPECT_EQ(files.contentsOfDirectory(container), (std::vector<std::string>{"Library"}));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
