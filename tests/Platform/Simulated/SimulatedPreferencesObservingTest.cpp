#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using pellacor::testing::TempDir;
using Dictionary = PropertyListValue::Dictionary;

namespace {

// One observer of "style" in the global domain of a simulated home, recording
// the key paths it hears of and the threads it hears them on.
struct SimulatedPreferencesObservingTest : ::testing::Test {
    TempDir home;
    std::shared_ptr<SimulatedDesktop> desktop = [this] {
        auto d = std::make_shared<SimulatedDesktop>();
        d->setHomeFolder(home.path());
        return d;
    }();
    SimulatedPreferencesDomain preferences{desktop};
    const std::string domain = (home / "Library/Preferences/.GlobalPreferences.plist").string();
    std::mutex mutex;
    std::vector<std::string> heard;
    std::vector<std::thread::id> threads;
    std::unique_ptr<PreferencesObserving::Observation> observation =
        preferences.observeValue("style", domain, [this](const std::string& key) {
            std::lock_guard lock(mutex);
            heard.push_back(key);
            threads.push_back(std::this_thread::get_id());
        });

    std::vector<std::string> heardSoFar() {
        std::lock_guard lock(mutex);
        return heard;
    }
};

} // namespace

TEST_F(SimulatedPreferencesObservingTest, TellsOfEachChangeOfItsKeyAndOfNothingElse) {
    preferences.setValue("other", PropertyListValue::integer(1), domain);
    preferences.setValue("style", PropertyListValue::integer(1), (home / "elsewhere.plist").string());
    EXPECT_TRUE(heardSoFar().empty()) << "another key, or the key of another domain";

    preferences.setValue("style", PropertyListValue::integer(2), domain);
    EXPECT_EQ(heardSoFar(), std::vector<std::string>{"style"});
    ASSERT_TRUE(preferences.synchronize(domain));
    preferences.setValue("style", PropertyListValue::integer(2), domain);
    EXPECT_EQ(heardSoFar().size(), 1U) << "storing the value it has is no change";

    preferences.setValue("style", std::nullopt, domain);
    EXPECT_EQ(heardSoFar().size(), 2U) << "removing it is a change";
}

TEST_F(SimulatedPreferencesObservingTest, AChangeMadeInTheFileIsHeardAtTheNextSynchronise) {
    ASSERT_TRUE(PropertyListFile::write(home.write("Library/Preferences/.GlobalPreferences.plist", ""),
                                        Dictionary{{"style", PropertyListValue::integer(0)}}));
    EXPECT_TRUE(heardSoFar().empty()) << "nothing read the file yet";
    ASSERT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(heardSoFar(), std::vector<std::string>{"style"});
}

TEST_F(SimulatedPreferencesObservingTest, HeardOnTheThreadThatMadeTheChange) {
    std::thread other([this] { preferences.setValue("style", PropertyListValue::integer(2), domain); });
    const auto otherId = other.get_id();
    other.join();
    std::lock_guard lock(mutex);
    ASSERT_EQ(threads.size(), 1U);
    EXPECT_EQ(threads.front(), otherId);
}

TEST_F(SimulatedPreferencesObservingTest, AnInvalidatedObservationHearsNothingMore) {
    observation->invalidate();
    preferences.setValue("style", PropertyListValue::integer(2), domain);
    EXPECT_TRUE(heardSoFar().empty());

    // A handler may end its own observation while it is being told.
    std::unique_ptr<PreferencesObserving::Observation> once;
    int calls = 0;
    once = preferences.observeValue("style", domain, [&](const std::string&) {
        ++calls;
        once->invalidate();
    });
    preferences.setValue("style", PropertyListValue::integer(1), domain);
    preferences.setValue("style", PropertyListValue::integer(0), domain);
    EXPECT_EQ(calls, 1);

    // Destroying an observation ends it too.
    int destroyedCalls = 0;
    preferences.observeValue("style", domain, [&](const std::string&) { ++destroyedCalls; }).reset();
    preferences.setValue("style", PropertyListValue::integer(2), domain);
    EXPECT_EQ(destroyedCalls, 0);
}

} // namespace PELLACOR_TEST_FILE
