#include "MenuBarSystem/Reading/ItemReader.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Reading/SystemAccessibility.h"
#include "Platform/Simulated/MenuBarLayout.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/ModelPrinters.h"
#include "Support/VirtualClock.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <pthread.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;
using concurrency::ManualExecutor;
using core::ItemSnapshot;
using core::Rect;
using Items = std::vector<ItemSnapshot>;

namespace {

std::string currentThreadName() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return name;
}

// The reader's accessibility operations with canned answers. It notes which
// applications it read, on which thread, and can hold a read of one application
// until released.
class FakeMenuBarAccessibility final : public MenuBarAccessibility {
public:
    bool isTrusted() const override { return trusted; }
    std::vector<MenuBarAppInfo> runningApps() const override {
        std::lock_guard lock(mutex_);
        ++runningAppsCalls_;
        return apps;
    }
    ExtrasReadOutcome readExtras(std::int32_t pid, float timeout, const DeadlineCheck&) const override {
        std::unique_lock lock(mutex_);
        reads_.push_back({pid, timeout, currentThreadName()});
        if (pid == heldPid) {
            ++waiting_;
            changed_.notify_all();
            changed_.wait(lock, [&] { return released_; });
        }
        auto it = outcomes.find(pid);
        return it != outcomes.end() ? it->second : ExtrasReadOutcome{ExtrasReadOutcome::NoExtrasMenuBar{}};
    }

    struct Read {
        std::int32_t pid;
        float timeout;
        std::string thread;
    };
    std::vector<Read> reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    int runningAppsCalls() const {
        std::lock_guard lock(mutex_);
        return runningAppsCalls_;
    }
    // Waits (in real time, as long as a busy machine may need) until `count` reads are held.
    bool waitUntilHeld(int count) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 30s, [&] { return waiting_ >= count; });
    }
    void release() const {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    bool trusted = true;
    std::vector<MenuBarAppInfo> apps;
    std::map<std::int32_t, ExtrasReadOutcome> outcomes;
    std::int32_t heldPid = -1;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    mutable std::vector<Read> reads_;
    mutable int runningAppsCalls_ = 0;
    mutable int waiting_ = 0;
    mutable bool released_ = false;
};

ExtrasReadOutcome itemsOutcome(std::vector<RawMenuBarItem> items) {
    return ExtrasReadOutcome{ExtrasReadOutcome::Items{std::move(items)}};
}

template <typename Task> ItemReading::Result run(ManualExecutor& executor, Task task) {
    auto handle = concurrency::spawn(executor, std::move(task));
    EXPECT_TRUE(executor.runUntil([&] { return handle.isFinished(); }));
    return handle.result().value_or(ItemReading::Result::timeout());
}

Items itemsOf(const ItemReading::Result& result) {
    EXPECT_TRUE(result.isOk()) << toString(result);
    return result.value().value_or(Items{});
}

ItemReading::Result readNow(const MenuBarAccessibility& accessibility,
                            const std::optional<std::set<std::string>>& owners = std::nullopt) {
    return ItemReader::read(accessibility, ItemReader::defaultDeadline, owners,
                            ItemReader::continuousClock());
}

TEST(ItemReaderTest, WithoutTrustNothingElseIsAsked) {
    FakeMenuBarAccessibility fake;
    fake.trusted = false;
    fake.apps = {{"com.example.a", 1, true}};
    EXPECT_EQ(readNow(fake), ItemReading::Result::unavailable(UnavailableReason::noAccessibilityPermission));
    EXPECT_EQ(fake.runningAppsCalls(), 0);
    EXPECT_TRUE(fake.reads().empty());
}

TEST(ItemReaderTest, ReadsEveryApplicationBundleInWorkspaceOrderAndNumbersItsItems) {
    FakeMenuBarAccessibility fake;
    const std::string longIdentifier(65, 'x');
    fake.apps = {
        {"com.example.a", 1, true},     {std::nullopt, 2, true},           {"", 3, true},
        {"com.example.tool", 4, false}, {"com.apple.clock", 5, true},      {"com.example.fail", 6, true},
        {"com.example.none", 7, true},  {"app.trayvane.pellacor", 8, true}};
    fake.outcomes = {
        {1, itemsOutcome(
                {{"a.one", "One", "1", Rect(10, 0, 24, 24)}, {"_NS:12", std::nullopt, std::nullopt, {}}})},
        {2, itemsOutcome({{"nobody", {}, {}, {}}})},
        {3, itemsOutcome({{"empty", {}, {}, {}}})},
        {4, itemsOutcome({{"tool", {}, {}, {}}})},
        {5, itemsOutcome({{longIdentifier, "Clock", std::nullopt, Rect(50, 0, 60, 24)}})},
        {6, ExtrasReadOutcome{ExtrasReadOutcome::Failure{-25204}}},
        {8, itemsOutcome({{"trv-control", "Pellacor", std::nullopt, Rect(30, 0, 28, 24)}})},
    };
    const Items expected = {
        ItemSnapshot("com.example.a", 1, "a.one", "One", "1", 0, Rect(10, 0, 24, 24)),
        ItemSnapshot("com.example.a", 1, std::nullopt, std::nullopt, std::nullopt, 1, std::nullopt),
        ItemSnapshot("com.apple.clock", 5, std::nullopt, "Clock", std::nullopt, 0, Rect(50, 0, 60, 24)),
        ItemSnapshot("app.trayvane.pellacor", 8, "trv-control", "Pellacor", std::nullopt, 0,
                     Rect(30, 0, 28, 24)),
    };
    const Items items = itemsOf(readNow(fake));
    EXPECT_EQ(items, expected);
    ASSERT_EQ(items.size(), 4U);
    EXPECT_TRUE(items[2].isApple());
    EXPECT_FALSE(items[0].isApple());

    std::vector<std::int32_t> read;
    for (const auto& r : fake.reads()) {
        read.push_back(r.pid);
        EXPECT_FLOAT_EQ(r.timeout, 0.25F);
    }
    EXPECT_EQ(read, (std::vector<std::int32_t>{1, 5, 6, 7, 8}));
}

TEST(ItemReaderTest, AnOwnerLimitedReadReadsOnlyThoseOwnersApplicationBundles) {
    FakeMenuBarAccessibility fake;
    fake.apps = {{"com.example.a", 1, true}, {"com.example.tool", 4, false}, {"com.example.b", 2, true}};
    fake.outcomes = {{1, itemsOutcome({{"a", {}, {}, {}}})},
                     {2, itemsOutcome({{"b", {}, {}, {}}})},
                     {4, itemsOutcome({{"tool", {}, {}, {}}})}};

    EXPECT_EQ(itemsOf(readNow(fake, std::set<std::string>{})), Items{});
    EXPECT_TRUE(fake.reads().empty());

    const Items items = itemsOf(readNow(fake, std::set<std::string>{"com.example.tool", "com.example.b"}));
    EXPECT_EQ(items,
              (Items{ItemSnapshot("com.example.b", 2, "b", std::nullopt, std::nullopt, 0, std::nullopt)}));
    ASSERT_EQ(fake.reads().size(), 1U) << "a command-line tool is never read, even when asked for";
    EXPECT_EQ(fake.reads()[0].pid, 2);
}

// A simulated desktop without applications whose accessibility tree answers on a virtual clock.
struct SlowDesktop {
    const platform::Scenario empty;
    platform::SimulatedPlatform platform{empty};
    pellacor::testing::VirtualClock virtualTime;
    std::shared_ptr<SystemAccessibility> accessibility =
        std::make_shared<SystemAccessibility>(platform.accessibility(), platform.workspace());

    SlowDesktop() { platform.accessibility()->setSpend(virtualTime.spendFunction()); }

    void addApp(std::int32_t pid, std::chrono::milliseconds appLatency, std::size_t itemCount,
                std::chrono::milliseconds itemLatency) {
        platform::SimulatedApplication app;
        app.bundleIdentifier = "com.example.app" + std::to_string(pid);
        app.processIdentifier = pid;
        app.bundlePath = "/Applications/App" + std::to_string(pid) + ".app";
        app.accessibility.latency = appLatency;
        for (std::size_t i = 0; i < itemCount; ++i) {
            platform::SimulatedStatusItem item;
            item.identifier = "item" + std::to_string(i);
            item.width = 1;
            item.accessibility.latency = itemLatency;
            app.statusItems.push_back(item);
        }
        EXPECT_TRUE(platform.desktop()->addApplication(app));
    }

    ItemReading::Result read(concurrency::Duration deadline = ItemReader::defaultDeadline) {
        return ItemReader::read(*accessibility, deadline, std::nullopt, virtualTime.nowFunction());
    }
};

TEST(ItemReaderSimulatedTreeTest, OddAnswersOfTheTreeAreSkippedOrReadAsAbsent) {
    SlowDesktop desktop;
    EXPECT_EQ(desktop.read(), ItemReading::Result::ok({})) << "nothing runs: an empty read";

    auto app = [&](std::int32_t pid, std::vector<platform::SimulatedStatusItem> items) {
        platform::SimulatedApplication result;
        result.bundleIdentifier = "com.example.app" + std::to_string(pid);
        result.processIdentifier = pid;
        result.bundlePath = "/Applications/App" + std::to_string(pid) + ".app";
        result.statusItems = std::move(items);
        return result;
    };
    auto item = [](std::optional<std::string> identifier, std::optional<std::string> description,
                   std::string role = "AXMenuBarItem") {
        platform::SimulatedStatusItem result;
        result.identifier = std::move(identifier);
        result.description = std::move(description);
        result.role = std::move(role);
        result.width = 20;
        return result;
    };
    auto noItems = app(1, {});
    auto broken = app(2, {item("b.one", "B")});
    broken.accessibility.attributeErrors = {{"AXExtrasMenuBar", platform::AccessibilityError::apiDisabled}};
    ASSERT_TRUE(desktop.platform.desktop()->addApplication(noItems));
    ASSERT_TRUE(desktop.platform.desktop()->addApplication(broken));
    EXPECT_EQ(desktop.read(), ItemReading::Result::ok({})) << "no extras bar, or an unreadable one";

    auto odd = app(3, {item("c.group", "Group", "AXGroup"), item("_NS:12", "Generated"),
                       item(std::string(65, 'x'), std::nullopt)});
    odd.statusItems[1].accessibility.attributeErrors = {
        {"AXPosition", platform::AccessibilityError::noValue}};
    ASSERT_TRUE(desktop.platform.desktop()->addApplication(odd));
    const Items items = itemsOf(desktop.read());
    ASSERT_EQ(items.size(), 3U);
    const auto placed = desktop.platform.desktop()->menuBarItems();
    ASSERT_EQ(placed.size(), 4U);
    ASSERT_TRUE(items[0].frame() && items[2].frame());
    // The group answers no texts; its inner menu-bar item gives the identifier.
    EXPECT_EQ(items[0], ItemSnapshot("com.example.app3", 3, "c.group", std::nullopt, std::nullopt, 0,
                                     platform::MenuBarLayout::frameOf(placed, odd, 0)));
    EXPECT_EQ(items[1],
              ItemSnapshot("com.example.app3", 3, std::nullopt, "Generated", std::nullopt, 1, std::nullopt))
        << "a generated identifier and an unreadable position";
    EXPECT_EQ(items[2].axIdentifier(), std::nullopt) << "longer than 64 characters";
    EXPECT_EQ(items[2].frame(), platform::MenuBarLayout::frameOf(placed, odd, 2));
}

TEST(ItemReaderDeadlineTest, ApplicationsThatDoNotAnswerCostOneTimeOutEachUpToTheDeadline) {
    struct Case {
        int hungApps;
        concurrency::Duration deadline;
        bool timesOut;
        concurrency::Duration elapsed;
    };
    const std::vector<Case> cases = {
        {3, 1s, false, 750ms},
        {4, 1s, true, 1s},  // the last one ends exactly at the deadline
        {20, 4s, true, 4s}, // the seventeenth is never asked
    };
    for (const Case& c : cases) {
        SlowDesktop desktop;
        for (int i = 0; i < c.hungApps; ++i) {
            desktop.addApp(600 + i, 1s, 1, 0ms);
        }
        desktop.addApp(900, 0ms, 1, 0ms);
        const auto result = desktop.read(c.deadline);
        EXPECT_EQ(result.isTimeout(), c.timesOut) << c.hungApps;
        if (!c.timesOut) {
            EXPECT_EQ(itemsOf(result).size(), 1U) << "the hung applications are skipped";
        }
        EXPECT_EQ(desktop.virtualTime.elapsed(), c.elapsed) << c.hungApps;
    }
}

TEST(ItemReaderDeadlineTest, OneApplicationWithEveryItemTimingOutEndsTheReadNearTheDeadline) {
    // Each item costs five messages of 0.25 s (three texts, the role, the position);
    // unchecked, forty such items would hold the read for 50 s.
    SlowDesktop desktop;
    desktop.addApp(700, 0ms, 40, 1s);
    const auto result = desktop.read();
    EXPECT_TRUE(result.isTimeout());
    EXPECT_GE(desktop.virtualTime.elapsed(), 4s);
    EXPECT_LE(desktop.virtualTime.elapsed(), 4s + 1250ms) << "at most one item past the deadline";
}

TEST(ItemReaderDefaultScenarioTest, ReadsEveryItemOfTheDefaultDesktopWithOwnersIndicesAndFrames) {
    // Without a camera housing every item of the default desktop stands on the bar.
    auto scenario = platform::Scenario::defaultScenario();
    scenario.screens = {platform::SimulatedScreen{core::Rect(0, 0, 1512, 982)}};
    platform::SimulatedPlatform platform(scenario);
    auto accessibility =
        std::make_shared<SystemAccessibility>(platform.accessibility(), platform.workspace());
    ManualExecutor executor;
    const Items items = [&] {
        ItemReader reader(accessibility);
        return itemsOf(run(executor, reader.readItems()));
    }();

    struct Expected {
        std::string owner;
        std::int32_t pid;
        int index;
        std::optional<std::string> identifier;
        std::optional<std::string> description;
    };
    const std::vector<Expected> expected = {
        {"com.apple.controlcenter", 310, 0, "com.apple.menuextra.clock", "Clock"},
        {"com.apple.controlcenter", 310, 1, "com.apple.menuextra.controlcenter", "Control Center"},
        {"com.apple.controlcenter", 310, 2, "com.apple.menuextra.battery", "Battery"},
        {"com.apple.controlcenter", 310, 3, "com.apple.menuextra.wifi", "Wi-Fi"},
        {"com.apple.MenuBarAgent", 312, 0, "com.apple.menuextra.user", "User"},
        {"app.trayvane.pellacor", 520, 0, "trv-control", "Pellacor"},
        {"com.example.fernlight", 531, 0, "fernlight.status", "Fernlight"},
        {"com.example.fernlight", 531, 1, "fernlight.timer", "Focus timer"},
        {"com.example.cobaltide", 533, 0, std::nullopt, "Cobaltide"},
        {"com.example.murmurtask", 537, 0, "murmurtask.inbox", "Tasks"},
        {"com.example.murmurtask", 537, 1, "murmurtask.quick", "Quick entry"},
        {"com.example.zephyrin", 541, 0, "zephyrin.weather", "Weather"},
        {"com.example.vellumpad", 543, 0, std::nullopt, "Vellumpad notes"},
        {"com.example.quillowsync", 547, 0, "quillow.status", "Sync status"},
        {"com.example.quillowsync", 547, 1, "quillow.upload", "Uploads"},
        {"com.example.quillowsync", 547, 2, "quillow.share", "Share"},
        {"com.example.brambleclip", 551, 0, "brambleclip.history", "Clipboard history"},
        {"com.example.orbitab", 553, 0, "orbitab.windows", "Window layouts"},
        {"com.example.orbitab", 553, 1, "orbitab.spaces", "Spaces"},
        {"com.example.lanternmeter", 557, 0, "lantern.cpu", "CPU"},
        {"com.example.lanternmeter", 557, 1, "lantern.memory", "Memory"},
        {"com.example.lanternmeter", 557, 2, "lantern.network", "Network"},
        {"com.example.tinderbell", 561, 0, "tinderbell.alerts", "Reminders"},
        {"com.example.saffrontunnel", 563, 0, "saffron.connection", "Tunnel"},
        {"com.example.driftkey", 569, 0, "driftkey.layout", "Keyboard layout"},
        {"com.example.driftkey", 569, 1, "driftkey.caffeine", "Stay awake"},
    };
    ASSERT_EQ(items.size(), expected.size());
    const auto placed = platform.desktop()->menuBarItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        const auto& want = expected[i];
        EXPECT_EQ(item.ownerBundleID(), want.owner) << i;
        EXPECT_EQ(item.ownerPID(), want.pid) << i;
        EXPECT_EQ(item.indexInOwner(), want.index) << i;
        EXPECT_EQ(item.axIdentifier(), want.identifier) << i;
        EXPECT_EQ(item.axDescription(), want.description) << i;
        EXPECT_EQ(item.isApple(), want.owner.starts_with("com.apple.")) << i;
        // Every item is on the bar, where the bar put it.
        auto on = std::find_if(placed.begin(), placed.end(), [&](const auto& p) {
            return p.ownerProcessIdentifier == want.pid && p.item.description == want.description;
        });
        ASSERT_NE(on, placed.end()) << i;
        EXPECT_EQ(item.frame(), std::optional(on->frame)) << i;
    }
    // The bar's right end, worked out by hand: the clock (118 wide) rightmost, the
    // other system items left of it, then the program's own item.
    EXPECT_EQ(items[0].frame(), std::optional(Rect(1394, 0, 118, 24)));
    EXPECT_EQ(items[4].frame(), std::optional(Rect(1266, 0, 28, 24)));
    EXPECT_EQ(items[5].frame(), std::optional(Rect(1238, 0, 28, 24)));
    EXPECT_EQ(items[7].frame(), std::optional(Rect(1162, 0, 52, 24)));
    EXPECT_EQ(items[0].axTitle(), std::optional<std::string>("6月3日(火) 9:41"));

    // A hidden application's items read as off the bar.
    platform.desktop()->setRestriction(
        platform::MenuBarRestriction{{0, 1, 2, 3, 4}, {"app.trayvane.pellacor"}});
    const Items restricted = [&] {
        ItemReader reader(accessibility);
        return itemsOf(run(executor, reader.readItems(std::set<std::string>{"com.example.fernlight"})));
    }();
    ASSERT_EQ(restricted.size(), 2U);
    EXPECT_EQ(restricted[1].frame(),
              std::optional(Rect(platform::SimulatedAccessibility::offBarPosition, core::Size{52, 24})));
}

TEST(ItemReaderDefaultScenarioTest, AProcessOutsideAnApplicationBundleIsNeverRead) {
    // A command-line tool with a bundle identifier and an item on the bar.
    auto scenario = platform::Scenario::defaultScenario();
    // Without a camera housing every item of the default desktop stands on the bar.
    scenario.screens = {platform::SimulatedScreen{core::Rect(0, 0, 1512, 982)}};
    platform::SimulatedApplication tool;
    tool.bundleIdentifier = "com.example.gaugectl";
    tool.processIdentifier = 600;
    tool.bundlePath = "/usr/local/bin/gaugectl";
    platform::SimulatedStatusItem gauge;
    gauge.identifier = "gaugectl.status";
    tool.statusItems = {gauge};
    scenario.applications.push_back(tool);
    platform::SimulatedPlatform platform(scenario);
    const auto placed = platform.desktop()->menuBarItems();
    ASSERT_TRUE(std::any_of(placed.begin(), placed.end(), [](const auto& p) {
        return p.ownerProcessIdentifier == 600;
    })) << "the tool's item stands on the bar";

    ManualExecutor executor;
    ItemReader reader(std::make_shared<SystemAccessibility>(platform.accessibility(), platform.workspace()));
    const Items all = itemsOf(run(executor, reader.readItems()));
    EXPECT_EQ(all.size(), 26U) << "every item of the default desktop, and nothing of the tool";
    EXPECT_TRUE(
        std::none_of(all.begin(), all.end(), [](const auto& item) { return item.ownerPID() == 600; }));
    EXPECT_EQ(itemsOf(run(executor, reader.readItems(std::set<std::string>{"com.example.gaugectl"}))),
              Items{})
        << "not even when it is asked for";
}

TEST(ItemReaderDefaultScenarioTest, AnUntrustedProcessReadsNothing) {
    auto scenario = platform::Scenario::defaultScenario();
    scenario.accessibilityTrusted = false;
    platform::SimulatedPlatform platform(scenario);
    ManualExecutor executor;
    ItemReader reader(std::make_shared<SystemAccessibility>(platform.accessibility(), platform.workspace()));
    EXPECT_EQ(run(executor, reader.readItems()),
              ItemReading::Result::unavailable(UnavailableReason::noAccessibilityPermission));
    EXPECT_EQ(run(executor, reader.readItems(std::set<std::string>{"com.example.fernlight"})),
              ItemReading::Result::unavailable(UnavailableReason::noAccessibilityPermission));
}

TEST(ItemReaderQueueTest, AnOwnerReadRunsWhileFullReadsWaitBehindOneAnother) {
    auto fake = std::make_shared<FakeMenuBarAccessibility>();
    fake->apps = {{"com.example.slow", 1, true}, {"com.example.quick", 2, true}};
    fake->outcomes = {{1, itemsOutcome({{"slow", {}, {}, {}}})}, {2, itemsOutcome({{"quick", {}, {}, {}}})}};
    fake->heldPid = 1;
    // Whatever the test's outcome, the held read is let go before the queues are joined.
    struct Release {
        std::shared_ptr<FakeMenuBarAccessibility> fake;
        ~Release() { fake->release(); }
    };

    ManualExecutor executor;
    {
        ItemReader reader(fake);
        Release release{fake};
        auto first = concurrency::spawn(executor, reader.readItems());
        auto second = concurrency::spawn(executor, reader.readItems());
        executor.runUntilIdle();
        ASSERT_TRUE(fake->waitUntilHeld(1));

        auto quick =
            concurrency::spawn(executor, reader.readItems(std::set<std::string>{"com.example.quick"}));
        ASSERT_TRUE(executor.runUntil([&] { return quick.isFinished(); }));
        EXPECT_EQ(itemsOf(*quick.result()), (Items{ItemSnapshot("com.example.quick", 2, "quick", std::nullopt,
                                                                std::nullopt, 0, std::nullopt)}));
        EXPECT_FALSE(first.isFinished());
        EXPECT_FALSE(second.isFinished());
        EXPECT_EQ(fake->reads().size(), 2U) << "the second full read has not started";

        fake->release();
        ASSERT_TRUE(executor.runUntil([&] { return first.isFinished() && second.isFinished(); }));
        EXPECT_EQ(itemsOf(*first.result()).size(), 2U);
        EXPECT_EQ(itemsOf(*second.result()).size(), 2U);
    }

    std::map<std::int32_t, std::set<std::string>> threads;
    for (const auto& read : fake->reads()) {
        threads[read.pid].insert(read.thread);
    }
    // Linux keeps the last 15 bytes of "app.trayvane.pellacor.item-reader(-owner)".
    EXPECT_EQ(threads[1], (std::set<std::string>{"cor.item-reader"}));
    EXPECT_EQ(threads[2], (std::set<std::string>{"cor.item-reader", "em-reader-owner"}));
}

// A reader that only reads everything, to show the default owner-limited read.
class EverythingReader final : public ItemReading {
public:
    explicit EverythingReader(Result result) : result_(std::move(result)) {}
    concurrency::Task<Result> readItems() override { co_return result_; }
    using ItemReading::readItems;

private:
    Result result_;
};

TEST(ItemReadingTest, TheDefaultOwnerReadKeepsThoseOwnersItemsInOrderAndPassesFailuresThrough) {
    const Items all = {
        ItemSnapshot("com.example.a", 1, "a1", {}, {}, 0, {}),
        ItemSnapshot("com.example.b", 2, "b1", {}, {}, 0, {}),
        ItemSnapshot("com.example.a", 1, "a2", {}, {}, 1, {}),
    };
    struct Case {
        ItemReading::Result full;
        std::set<std::string> owners;
        ItemReading::Result limited;
    };
    const std::vector<Case> cases = {
        {ItemReading::Result::ok(all),
         {"com.example.a", "com.example.c"},
         ItemReading::Result::ok({all[0], all[2]})},
        {ItemReading::Result::ok(all), {}, ItemReading::Result::ok({})},
        {ItemReading::Result::timeout(), {"com.example.a"}, ItemReading::Result::timeout()},
        {ItemReading::Result::unavailable(UnavailableReason::noAccessibilityPermission),
         {"com.example.a"},
         ItemReading::Result::unavailable(UnavailableReason::noAccessibilityPermission)},
    };
    ManualExecutor executor;
    for (const Case& c : cases) {
        EverythingReader reader(c.full);
        EXPECT_EQ(run(executor, reader.readItems(c.owners)), c.limited) << toString(c.full);
    }
}

TEST(RawMenuBarItemTest, ItsDescriptionShowsTheFrameAndNeverTheTexts) {
    EXPECT_EQ((RawMenuBarItem{"secret.id", "Secret", "Title", Rect(10, 0, 24, 22)}).description(),
              "RawMenuBarItem((10, 0, 24, 22))");
    EXPECT_EQ((RawMenuBarItem{"secret.id", "Secret", "Title", std::nullopt}).description(),
              "RawMenuBarItem(位置なし)");
}

} // namespace
} // namespace PELLACOR_TEST_FILE
