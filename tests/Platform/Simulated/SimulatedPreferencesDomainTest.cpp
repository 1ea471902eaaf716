#include "Platform/Simulated/SimulatedPreferencesDomain.h"

#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedFileManager.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

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
    // The value stays pending.
    EXPECT_EQ(preferences.copyValue("key", domain), PropertyListValue::integer(1));
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

    desktop->setMenuBarContainerGranted(true);
    EXPECT_TRUE(preferences.synchronize(menuBarDomain));
    EXPECT_EQ(PropertyListFile::read(menuBarDomain).dictionary,
              (Dictionary{{"key", PropertyListValue::integer(2)}}));
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
