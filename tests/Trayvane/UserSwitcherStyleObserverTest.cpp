#include "Trayvane/StatusItem/UserSwitcherStyleObserver.h"

#include "Concurrency/ManualExecutor.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::UserSwitcherStyleObserver;
using platform::PropertyListValue;

namespace {

// The observer over the global preferences of a simulated home, on a manual
// executor; the style is changed from other threads, as the system's
// settings would change it.
struct UserSwitcherStyleObserverTest : ::testing::Test {
    pellacor::testing::TempDir home;
    std::shared_ptr<platform::SimulatedDesktop> desktop = [this] {
        auto d = std::make_shared<platform::SimulatedDesktop>();
        d->setHomeFolder(home.path());
        return d;
    }();
    std::shared_ptr<platform::SimulatedPreferencesDomain> preferences =
        std::make_shared<platform::SimulatedPreferencesDomain>(desktop);
    const std::string domain = (home / "Library/Preferences/.GlobalPreferences.plist").string();
    concurrency::ManualExecutor executor;
    int changes = 0;
    std::vector<std::thread::id> changeThreads;
    std::unique_ptr<UserSwitcherStyleObserver> observer =
        std::make_unique<UserSwitcherStyleObserver>(preferences, domain, executor, [this] {
            ++changes;
            changeThreads.push_back(std::this_thread::get_id());
        });

    // Sets a value and stores it, from a thread of its own.
    void setElsewhere(const std::string& key, std::int64_t value) {
        std::thread([&] {
            preferences->setValue(key, PropertyListValue::integer(value), domain);
            preferences->synchronize(domain);
        }).join();
    }
};

} // namespace

TEST_F(UserSwitcherStyleObserverTest, AStyleChangeReachesTheMainExecutorOnce) {
    setElsewhere("userMenuExtraStyle", 2);
    EXPECT_EQ(changes, 0) << "not on the thread that changed it";
    executor.runUntilIdle();
    EXPECT_EQ(changes, 1) << "the set and the synchronise are one change of the value";
    EXPECT_EQ(changeThreads, std::vector<std::thread::id>{std::this_thread::get_id()});

    setElsewhere("userMenuExtraStyle", 2);
    setElsewhere("AppleInterfaceStyle", 1);
    executor.runUntilIdle();
    EXPECT_EQ(changes, 1) << "the same value again, or another key";

    setElsewhere("userMenuExtraStyle", 0);
    executor.runUntilIdle();
    EXPECT_EQ(changes, 2);
}

TEST_F(UserSwitcherStyleObserverTest, OnlyItsOwnKeyPathCounts) {
    observer->observeValue(std::string("userMenuExtraStyle"));
    observer->observeValue(std::string("userMenuExtraStyle2"));
    observer->observeValue(std::nullopt);
    executor.runUntilIdle();
    EXPECT_EQ(changes, 1);
}

TEST_F(UserSwitcherStyleObserverTest, NothingReachesAnObserverThatIsGone) {
    // A change already on its way to the executor when the observer goes.
    setElsewhere("userMenuExtraStyle", 1);
    observer.reset();
    executor.runUntilIdle();
    setElsewhere("userMenuExtraStyle", 2);
    executor.runUntilIdle();
    EXPECT_EQ(changes, 0);
}

namespace {

// Preferences whose notification was already under way on the system's
// thread when the observation was ended: the test holds the handler and
// calls it after the observer went.
class UnderWayPreferences final : public platform::PreferencesObserving {
public:
    std::unique_ptr<Observation> observeValue(const std::string&, const std::string&,
                                              Handler onChange) override {
        handler = std::move(onChange);
        return std::make_unique<Ended>();
    }
    Handler handler;

private:
    struct Ended final : Observation {
        void invalidate() override {}
    };
};

} // namespace

TEST(UserSwitcherStyleObserverLifetimeTest, ANotificationStillUnderWayWhenTheObserverGoesReachesNothing) {
    const auto preferences = std::make_shared<UnderWayPreferences>();
    concurrency::ManualExecutor executor;
    int changes = 0;
    auto observer = std::make_unique<UserSwitcherStyleObserver>(preferences, "domain", executor,
                                                                [&changes] { ++changes; });
    ASSERT_TRUE(preferences->handler);
    const auto underWay = preferences->handler;
    observer.reset();
    std::thread([&underWay] { underWay(std::string(UserSwitcherStyleObserver::keyPath)); }).join();
    executor.runUntilIdle();
    EXPECT_EQ(changes, 0);
}

} // namespace PELLACOR_TEST_FILE
