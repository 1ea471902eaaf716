#include "MenuBarSystem/Watching/CaptureUseWatcher.h"

#include "Concurrency/ManualExecutor.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <vector>

namespace pellacor::system {
inline void PrintTo(const CaptureUse& use, std::ostream* os) {
    *os << "{camera: " << use.camera << ", microphone: " << use.microphone << "}";
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;

namespace {

using Kind = CaptureDeviceKind;
using IDs = std::optional<std::vector<std::uint32_t>>;

// Devices as the test sets them, with every listener kept so the test can fire it.
class FakeSource final : public CaptureDeviceSource {
public:
    std::map<Kind, IDs> lists{{Kind::camera, std::vector<std::uint32_t>{}},
                              {Kind::microphone, std::vector<std::uint32_t>{}}};
    // Missing entries read as not running.
    std::map<std::pair<Kind, std::uint32_t>, std::optional<bool>> running;
    std::set<std::pair<Kind, std::uint32_t>> refusedDevices;
    bool refuseLists = false;

    std::vector<std::pair<Kind, Handler>> listListeners;
    std::vector<std::pair<std::pair<Kind, std::uint32_t>, Handler>> runningListeners;
    std::vector<std::pair<Kind, std::uint32_t>> watchRunningCalls;
    int unwatchAllCount = 0;

    IDs deviceIDs(Kind kind) override { return lists[kind]; }
    std::optional<bool> isRunningSomewhere(std::uint32_t device, Kind kind) override {
        auto it = running.find({kind, device});
        return it == running.end() ? std::optional(false) : it->second;
    }
    bool watchDevices(Kind kind, Handler handler) override {
        if (refuseLists) {
            return false;
        }
        listListeners.emplace_back(kind, std::move(handler));
        return true;
    }
    bool watchRunning(std::uint32_t device, Kind kind, Handler handler) override {
        watchRunningCalls.emplace_back(kind, device);
        if (refusedDevices.contains({kind, device})) {
            return false;
        }
        runningListeners.emplace_back(std::pair(kind, device), std::move(handler));
        return true;
    }
    void unwatchAll() override {
        ++unwatchAllCount;
        listListeners.clear();
        runningListeners.clear();
    }

    // Calls one listener of the device list of that kind, as the platform would.
    void fireList(Kind kind) {
        for (auto& [listKind, handler] : listListeners) {
            if (listKind == kind) {
                auto copy = handler;
                copy();
                return;
            }
        }
        FAIL() << "no list listener";
    }
    std::size_t watchRunningCount(Kind kind, std::uint32_t device) const {
        return static_cast<std::size_t>(
            std::count(watchRunningCalls.begin(), watchRunningCalls.end(), std::pair(kind, device)));
    }
};

class CaptureUseWatcherTest : public ::testing::Test {
protected:
    std::shared_ptr<CaptureUseWatcher>
    makeWatcher(std::optional<concurrency::Duration> backstop = std::nullopt) {
        return CaptureUseWatcher::create(source, executor, backstop);
    }
    void start(CaptureUseWatcher& watcher) {
        watcher.start([this](const CaptureUse& use) { reports.push_back(use); });
    }

    concurrency::ManualExecutor executor;
    std::shared_ptr<FakeSource> source = std::make_shared<FakeSource>();
    std::vector<CaptureUse> reports;
};

TEST(CaptureUseTest, OnlyTheCameraRevealsAll) {
    EXPECT_FALSE((CaptureUse{false, false}).inUse());
    EXPECT_TRUE((CaptureUse{false, true}).inUse());
    EXPECT_FALSE((CaptureUse{false, true}).revealsAll());
    EXPECT_TRUE((CaptureUse{true, false}).revealsAll());
}

TEST_F(CaptureUseWatcherTest, MeasuresEachKindAndCountsWhatCannotBeReadAsInUse) {
    struct Case {
        const char* name;
        IDs cameras;
        IDs microphones;
        std::map<std::pair<Kind, std::uint32_t>, std::optional<bool>> running;
        CaptureUse expected;
    };
    const std::vector<std::uint32_t> none;
    const std::vector<std::uint32_t> two{1, 2};
    const std::vector<Case> cases{
        {"no devices", none, none, {}, {false, false}},
        {"idle devices", two, two, {}, {false, false}},
        {"unreadable camera list", std::nullopt, none, {}, {true, false}},
        {"unreadable microphone list", none, std::nullopt, {}, {false, true}},
        {"second camera running", two, none, {{{Kind::camera, 2}, true}}, {true, false}},
        {"one camera unreadable", two, none, {{{Kind::camera, 1}, std::nullopt}}, {true, false}},
        {"microphone running", none, two, {{{Kind::microphone, 1}, true}}, {false, true}},
        {"one microphone unreadable", none, two, {{{Kind::microphone, 2}, std::nullopt}}, {false, true}},
        {"everything unreadable", std::nullopt, std::nullopt, {}, {true, true}},
        {"same id, other kind", two, two, {{{Kind::microphone, 2}, true}}, {false, true}},
    };
    for (const auto& c : cases) {
        source->lists = {{Kind::camera, c.cameras}, {Kind::microphone, c.microphones}};
        source->running = c.running;
        auto watcher = makeWatcher();
        start(*watcher);
        EXPECT_EQ(watcher->current(), c.expected) << c.name;
        watcher->stop();
    }
    EXPECT_TRUE(reports.empty()) << "start only stores the first measurement";
}

TEST_F(CaptureUseWatcherTest, TheHandlerHearsOnlyChanges) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    source->lists[Kind::microphone] = std::vector<std::uint32_t>{8};
    auto watcher = makeWatcher();
    start(*watcher);
    ASSERT_EQ(source->runningListeners.size(), 2u);
    ASSERT_EQ(source->listListeners.size(), 2u);
    auto fireRunning = [&](std::size_t index) {
        auto handler = source->runningListeners[index].second;
        handler();
    };

    fireRunning(0);
    EXPECT_TRUE(reports.empty()) << "nothing changed";
    source->running[{Kind::camera, 7}] = true;
    fireRunning(0);
    fireRunning(1);
    source->running[{Kind::microphone, 8}] = true;
    fireRunning(1);
    source->running[{Kind::camera, 7}] = false;
    source->running[{Kind::microphone, 8}] = false;
    source->fireList(Kind::microphone);
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}, {true, true}, {false, false}}));
    EXPECT_EQ(watcher->current(), (CaptureUse{false, false}));
}

TEST_F(CaptureUseWatcherTest, ARefusedDeviceListenerIsTriedAgainAtEveryRefreshUntilAccepted) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    source->refusedDevices = {{Kind::camera, 7}};
    auto watcher = makeWatcher();
    start(*watcher);
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 1u);
    source->fireList(Kind::camera);
    source->fireList(Kind::camera);
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 3u);

    source->refusedDevices.clear();
    source->fireList(Kind::camera);
    source->fireList(Kind::camera);
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 4u) << "accepted once, then left alone";
}

TEST_F(CaptureUseWatcherTest, AnUnpluggedDeviceLeavesTheWatchedSetOnlyWhenItsListCanBeRead) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7, 9};
    source->lists[Kind::microphone] = std::vector<std::uint32_t>{7};
    auto watcher = makeWatcher();
    start(*watcher);

    // Unreadable: camera 7 stays watched, so coming back adds no listener.
    source->lists[Kind::camera] = std::nullopt;
    source->fireList(Kind::camera);
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}}));
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7, 9};
    source->fireList(Kind::camera);
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 1u);

    // Unplugged: it leaves, and is listened to again when it comes back. The
    // microphone with the same identifier is not touched.
    source->lists[Kind::camera] = std::vector<std::uint32_t>{9};
    source->fireList(Kind::camera);
    source->lists[Kind::camera] = std::vector<std::uint32_t>{9, 7};
    source->fireList(Kind::camera);
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 2u);
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 9), 1u);
    EXPECT_EQ(source->watchRunningCount(Kind::microphone, 7), 1u);
}

TEST_F(CaptureUseWatcherTest, ASecondStartKeepsTheFirstHandlerAndAddsNoListeners) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    auto watcher = makeWatcher();
    start(*watcher);
    std::vector<CaptureUse> second;
    watcher->start([&second](const CaptureUse& use) { second.push_back(use); });
    EXPECT_EQ(source->listListeners.size(), 2u);
    EXPECT_EQ(source->watchRunningCalls.size(), 1u);

    source->running[{Kind::camera, 7}] = true;
    source->fireList(Kind::camera);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_TRUE(second.empty());
}

TEST_F(CaptureUseWatcherTest, StopEndsReportsAndAStartAfterItListensAgain) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    source->lists[Kind::microphone] = std::vector<std::uint32_t>{8};
    auto watcher = makeWatcher(3s);
    start(*watcher);
    auto staleList = source->listListeners.front().second;
    auto staleDevice = source->runningListeners.front().second;

    source->running[{Kind::camera, 7}] = true;
    watcher->stop();
    EXPECT_EQ(source->unwatchAllCount, 1);
    staleList();
    staleDevice();
    executor.advanceBy(10s);
    EXPECT_TRUE(reports.empty()) << "nothing after stop: no listener, no backstop";
    EXPECT_EQ(watcher->current(), (CaptureUse{false, false})) << "current keeps its last value";

    // A new start measures afresh without a report and listens to every device again.
    start(*watcher);
    EXPECT_EQ(watcher->current(), (CaptureUse{true, false}));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 2u);
    EXPECT_EQ(source->watchRunningCount(Kind::microphone, 8), 2u);
    EXPECT_EQ(source->listListeners.size(), 2u);
    watcher->stop();
}

TEST_F(CaptureUseWatcherTest, TheBackstopFindsAnUnreportedChangeAfterThreeSeconds) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    source->refusedDevices = {{Kind::camera, 7}};
    source->refuseLists = true;
    auto watcher = CaptureUseWatcher::create(source, executor, CaptureUseWatcher::defaultBackstopInterval);
    start(*watcher);
    executor.runUntilIdle();

    source->running[{Kind::camera, 7}] = true;
    executor.advanceTo(concurrency::Instant{} + 2999ms);
    EXPECT_TRUE(reports.empty());
    executor.advanceTo(concurrency::Instant{} + 3s);
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}}));
    EXPECT_EQ(source->watchRunningCount(Kind::camera, 7), 2u)
        << "the backstop's refresh retries the listener";

    executor.advanceBy(9s);
    EXPECT_EQ(reports.size(), 1u) << "no change, no report";
    source->running[{Kind::camera, 7}] = false;
    executor.advanceBy(3s);
    EXPECT_EQ(reports.size(), 2u);

    watcher->stop();
    executor.runUntilIdle();
    EXPECT_EQ(executor.pendingTimerCount(), 0u) << "the backstop ended";
}

TEST_F(CaptureUseWatcherTest, ReleasingTheWatcherLeavesListenersAndTheBackstopHarmless) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    auto watcher = makeWatcher(3s);
    start(*watcher);
    executor.runUntilIdle();
    auto stale = source->runningListeners.front().second;
    watcher.reset();
    source->running[{Kind::camera, 7}] = true;
    stale();
    executor.advanceBy(10s);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(executor.pendingTimerCount(), 0u);
}

TEST_F(CaptureUseWatcherTest, AHandlerMayStopTheWatcher) {
    source->lists[Kind::camera] = std::vector<std::uint32_t>{7};
    auto watcher = makeWatcher(3s);
    watcher->start([&](const CaptureUse& use) {
        reports.push_back(use);
        watcher->stop();
    });
    source->running[{Kind::camera, 7}] = true;
    executor.advanceBy(3s);
    source->running[{Kind::camera, 7}] = false;
    executor.advanceBy(6s);
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}}));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
