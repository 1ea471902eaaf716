// The coordinator as the program composes it, over the real services and the
// simulated desktop of the default scenario, in virtual time: what the user and
// the outside world do, and what the menu bar then shows.

#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Pressing/PressOutcome.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Support/ComposedDesktop.h"
#include "Support/CoordinatorFixture.h"
#include "Support/DescriptorSink.h"
#include "Support/LogCapture.h"
#include "Support/PressPrinters.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::Section;
using platform::MenuBarLayoutFile;
using Outcome = ComposedDesktop::Outcome;
using Owners = std::set<std::string>;

constexpr const char* selfID = "app.trayvane.pellacor";
constexpr const char* controlCenter = "com.apple.controlcenter";
constexpr const char* cobaltide = "com.example.cobaltide";
constexpr const char* pebblemail = "com.example.pebblemail";
constexpr std::int32_t cobaltidePid = 533;

// The user's sections for the default desktop's applications.
const Owners shownApps{"com.example.fernlight", "com.example.murmurtask", "com.example.zephyrin"};
const Owners hiddenApps{cobaltide, "com.example.vellumpad", "com.example.brambleclip"};
const Owners alwaysHiddenApps{"com.example.lanternmeter",  "com.example.driftkey",
                              "com.example.quillowsync",   "com.example.orbitab",
                              "com.example.saffrontunnel", "com.example.tinderbell"};

Owners operator+(Owners a, const Owners& b) {
    a.insert(b.begin(), b.end());
    return a;
}

// What the bar shows while collapsed: the shown section, the system's clock and
// other items, and the program's control item.
const Owners collapsedBar = shownApps + Owners{controlCenter, selfID};

// The default desktop, its menu bar's layout table recording the program's
// control item, as an earlier run left it.
platform::Scenario defaultDesktop() {
    auto scenario = platform::Scenario::defaultScenario();
    scenario.home.layoutTable[MenuBarLayoutFile::key(selfID, "Item-0")] = 10;
    return scenario;
}

class Timeline : public CoordinatorFixture {
protected:
    ~Timeline() override {
        if (coordinator && desktop) {
            coordinator->shutdown();
            desktop->settle();
        }
        coordinator.reset();
        desktop.reset();
    }

    static core::Profile usersProfile(Section newItems = Section::hidden) {
        std::map<AppKey, Section> sections;
        for (const auto& [apps, section] :
             {std::pair{&shownApps, Section::shown}, std::pair{&hiddenApps, Section::hidden},
              std::pair{&alwaysHiddenApps, Section::alwaysHidden}}) {
            for (const auto& app : *apps) {
                sections[AppKey(app)] = section;
            }
        }
        return makeProfile(std::move(sections), newItems);
    }

    // The program starts on the desktop and its first restriction is in force.
    Coordinator& collapsed(Section newItems = Section::hidden, ComposedDesktop::Options options = {}) {
        options.scenario = defaultDesktop();
        options.profile = usersProfile(newItems);
        desktop = std::make_unique<ComposedDesktop>(executor, std::move(options));
        Coordinator& c = adopt(desktop->makeCoordinator());
        c.start(std::nullopt);
        runUntil([&] { return isSettledIn(State::collapsed); });
        return c;
    }

    // The coordinator is in `state` and the plan it asked for is the one in force.
    bool isSettledIn(State state) const {
        return coordinator->effectiveState() == state && Probe::applyTask(*coordinator).isFinished() &&
               Probe::requestedPlan(*coordinator) == desktop->composition->visibility->currentPlan();
    }

    void runUntil(const std::function<bool()>& done, concurrency::Duration limit = 30s) {
        ASSERT_EQ(desktop->runUntil(done, limit), Outcome::done) << "at " << seconds();
    }
    void runFor(concurrency::Duration duration) { ASSERT_EQ(desktop->runFor(duration), Outcome::done); }
    double seconds() const {
        return std::chrono::duration<double>(executor.now().time_since_epoch()).count();
    }

    // The owners of the items on the bar.
    Owners ownersOnBar() const {
        Owners owners;
        for (const auto& placed : desktop->bar()) {
            owners.insert(placed.ownerBundleIdentifier.value_or(""));
        }
        return owners;
    }
    bool chevronOnBar() const {
        const auto placed = desktop->bar();
        return std::any_of(placed.begin(), placed.end(), [](const platform::PlacedStatusItem& item) {
            return item.item.isOverflowChevron;
        });
    }
    // Nothing keeps any application off the bar: no restriction is in force, and
    // what does not fit right of the camera housing folds behind the chevron.
    void expectNothingHidden() const {
        EXPECT_FALSE(desktop->desktop->restriction().has_value());
        EXPECT_FALSE(desktop->composition->visibility->isRestricting());
        const Owners owners = ownersOnBar();
        for (const auto& app : shownApps + hiddenApps + alwaysHiddenApps) {
            EXPECT_TRUE(owners.contains(app) || chevronOnBar()) << app;
        }
        EXPECT_TRUE(owners.contains("com.apple.MenuBarAgent"))
            << "the user switcher shows without restriction";
    }

    LogCapture logs;
    std::unique_ptr<ComposedDesktop> desktop;
};

TEST_F(Timeline, StartingCollapsesToTheShownSectionTheSystemItemsAndTheControlItem) {
    collapsed();

    EXPECT_EQ(ownersOnBar(), collapsedBar);
    EXPECT_FALSE(chevronOnBar());
    EXPECT_TRUE(desktop->composition->visibility->isRestricting());
    EXPECT_THAT(logLines(), ::testing::Contains("log(default) 状態 starting → collapsed"));
    EXPECT_THAT(logLines(), ::testing::Contains(::testing::StartsWith("log(default) 制限が効きました（")));
    EXPECT_THAT(events, ::testing::Contains("restrictionConfirmed"));
    EXPECT_LT(seconds(), 1.0) << "a healthy desktop needs no retry";
}

TEST_F(Timeline, TogglingRevealsTheHiddenSectionShiftShowsAllAndThePointerAwayCollapsesAgain) {
    Coordinator& c = collapsed();

    c.toggle(false);
    runUntil([&] { return isSettledIn(State::revealed); });
    EXPECT_EQ(ownersOnBar(), collapsedBar + hiddenApps);

    c.toggle(false);
    runUntil([&] { return isSettledIn(State::collapsed); });
    EXPECT_EQ(ownersOnBar(), collapsedBar);

    // With Shift: every section, the always-hidden one too.
    c.toggle(true);
    runUntil([&] { return isSettledIn(State::revealedAll); });
    const auto revealedAt = executor.now();
    for (const auto& app : shownApps + hiddenApps + alwaysHiddenApps) {
        EXPECT_TRUE(ownersOnBar().contains(app) || chevronOnBar()) << app;
    }
    EXPECT_TRUE(ownersOnBar().contains(*alwaysHiddenApps.begin()) || chevronOnBar());

    // The pointer rests below the menu bar (it starts at the screen's bottom
    // left): ten seconds later the bar collapses by itself, not before.
    runUntil([&] { return c.effectiveState() != State::revealedAll; }, 11s);
    EXPECT_EQ(c.effectiveState(), State::collapsed);
    EXPECT_GE(executor.now() - revealedAt, 10s);
    EXPECT_LE(executor.now() - revealedAt, 10500ms);
    runUntil([&] { return isSettledIn(State::collapsed); });
    EXPECT_EQ(ownersOnBar(), collapsedBar);
    EXPECT_TRUE(logs.contains("app", "マウスが離れて 10 秒。自動でしまいます"));
}

TEST_F(Timeline, APointerRestingInTheMenuBarKeepsTheBarRevealed) {
    Coordinator& c = collapsed();
    const auto top = desktop->desktop->mainScreen().frame.maxY();
    desktop->simulated->input()->moveMouse({300, top - 5});
    c.toggle(false);
    runUntil([&] { return isSettledIn(State::revealed); });
    runFor(30s);
    EXPECT_EQ(c.effectiveState(), State::revealed);
    EXPECT_EQ(ownersOnBar(), collapsedBar + hiddenApps);
}

struct LaunchCase {
    Section newItems;
    bool shownOnBar;
};
void PrintTo(const LaunchCase& launch, std::ostream* out) {
    *out << "new items " << core::rawValue(launch.newItems);
}

class LaunchTimeline : public Timeline, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchTimeline, ANewApplicationIsAdoptedIntoTheNewItemSectionAndPlacedByTheLayoutTable) {
    const auto [newItems, shownOnBar] = GetParam();
    Coordinator& c = collapsed(newItems);
    const std::string key = MenuBarLayoutFile::key(pebblemail, "Item-0");
    ASSERT_FALSE(desktop->desktop->layoutTable().contains(key));
    const int writesBefore = desktop->calls->tableWrites;
    take();

    ASSERT_TRUE(desktop->simulated->workspace()->launch(pebblemail).has_value());
    const auto launchedAt = executor.now();
    runUntil([&] { return Probe::profile(c).sections.contains(AppKey(pebblemail)); }, 10s);
    EXPECT_EQ(Probe::profile(c).section(AppKey(pebblemail)), newItems);
    EXPECT_THAT(events, ::testing::Contains(std::string("log(info) 初めて見るアプリを「") +
                                            std::string(core::rawValue(newItems)) + "」に入れました（" +
                                            pebblemail + "）"));
    EXPECT_THAT(events, ::testing::Contains("profile"));

    // Two seconds after the launch, a shown application has its place in the
    // layout table, right of the control item; a hidden one stays off the bar.
    runUntil([&] { return executor.now() - launchedAt >= 2s && isSettledIn(State::collapsed); }, 10s);
    const auto table = desktop->desktop->layoutTable();
    EXPECT_EQ(table.contains(key), shownOnBar);
    EXPECT_EQ(ownersOnBar().contains(pebblemail), shownOnBar);
    if (shownOnBar) {
        EXPECT_LT(table.at(key), table.at(MenuBarLayoutFile::key(selfID, "Item-0")));
        EXPECT_EQ(ownersOnBar(), collapsedBar + Owners{pebblemail});
    } else {
        EXPECT_EQ(ownersOnBar(), collapsedBar);
        EXPECT_EQ(desktop->calls->tableWrites, writesBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Sections, LaunchTimeline,
                         ::testing::Values(LaunchCase{Section::shown, true},
                                           LaunchCase{Section::hidden, false}),
                         [](const ::testing::TestParamInfo<LaunchCase>& info) {
                             return std::string(core::rawValue(info.param.newItems));
                         });

TEST_F(Timeline, TheCameraShowsEverythingUntilItIsTurnedOff) {
    Coordinator& c = collapsed();
    take();

    ASSERT_TRUE(desktop->simulated->captureDevices()->setCameraRunning(true));
    runUntil([&] { return isSettledIn(State::privacyOverride); });
    expectNothingHidden();
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_THAT(events, ::testing::Contains("log(default) 状態 collapsed → privacyOverride"));

    ASSERT_TRUE(desktop->simulated->captureDevices()->setCameraRunning(false));
    runUntil([&] { return isSettledIn(State::collapsed); });
    EXPECT_EQ(ownersOnBar(), collapsedBar);
    EXPECT_THAT(events, ::testing::Contains("log(default) 状態 privacyOverride → collapsed"));
}

TEST_F(Timeline, AHiddenItemPressedFromThePanelOpensItsMenuAndIsHiddenAgainWhenTheMenuCloses) {
    Coordinator& c = collapsed();
    ASSERT_FALSE(desktop->onBar(cobaltide));

    auto press = concurrency::spawn(executor,
                                    c.pressItem(core::BelowBarEntry{cobaltide, 0, cobaltidePid, std::nullopt},
                                                coordinator::PressSource::belowBar));
    runUntil([&] { return press.isFinished(); });
    ASSERT_TRUE(press.result().has_value() && press.result()->has_value());
    EXPECT_EQ(**press.result(), system::PressOutcome::opened(core::PressMethod::revealPress));

    // Revealed for the press: on the bar, pressed there, its menu open.
    EXPECT_TRUE(desktop->onBar(cobaltide));
    EXPECT_EQ(c.effectiveState(), State::collapsed);
    const auto presses = desktop->desktop->presses();
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].processIdentifier, cobaltidePid);
    ASSERT_TRUE(presses[0].menu.has_value());
    const auto menuOpen = [&] {
        const auto windows = desktop->desktop->windows();
        return std::any_of(windows.begin(), windows.end(),
                           [&](const platform::SimulatedDesktop::Window& window) {
                               return window.number == *presses[0].menu;
                           });
    };
    EXPECT_TRUE(menuOpen());

    // The menu stays open until the user clicks elsewhere; the reveal ends with
    // it, long before its own 15 s deadline, and the application leaves the bar again.
    desktop->desktop->closeMenus();
    runUntil([&] { return Probe::temporaryReveals(c).empty() && isSettledIn(State::collapsed); });
    EXPECT_FALSE(menuOpen());
    EXPECT_LT(executor.now() - (concurrency::Instant{} + presses[0].at), 15s);
    EXPECT_EQ(ownersOnBar(), collapsedBar);
    EXPECT_TRUE(logs.contains("app", "一時的に見せたのを戻します（com.example.cobaltide）"));
}

TEST_F(Timeline, WithdrawingAccessibilityHidesNothingUntilItIsGrantedAgain) {
    Coordinator& c = collapsed();
    take();

    desktop->simulated->accessibility()->setTrusted(false);
    runUntil([&] { return isSettledIn(State::needsPermission); }, 3s);
    expectNothingHidden();
    EXPECT_THAT(events,
                ::testing::IsSupersetOf({"trust(false)", "permissionWait(true)",
                                         "log(error) アクセシビリティの許可が外れました。何も隠しません"}));

    // Nothing is hidden while the permission stays away.
    runFor(20s);
    EXPECT_EQ(c.effectiveState(), State::needsPermission);
    expectNothingHidden();

    desktop->simulated->accessibility()->setTrusted(true);
    runUntil([&] { return isSettledIn(State::collapsed); }, 5s);
    EXPECT_EQ(ownersOnBar(), collapsedBar);
    EXPECT_THAT(events, ::testing::IsSupersetOf(
                            {"trust(true)", "permissionWait(false)",
                             "log(default) アクセシビリティの許可が付いています。点検からやり直します"}));
}

TEST(HangTimeline, AMainThreadThatHangsWhileRestrictingIsEndedWithStatus70AndTheRestrictionWithIt) {
    TempDir folder;
    const auto logFile = folder / "log.txt";
    int channel[2] = {-1, -1};
    ASSERT_EQ(pipe(channel), 0);
    constexpr auto limit = 500ms;

    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        // Only keeps a child whose watchdog never fires from holding the test
        // for ever: a minute, as long as a busy machine under a sanitizer may
        // need for the set-up alone.
        alarm(60);
        const int fd = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) {
            _exit(2);
        }
        core::Log::setSinks({std::make_shared<DescriptorSink>(fd)});
        concurrency::ManualExecutor executor;
        ComposedDesktop::Options options;
        options.scenario = defaultDesktop();
        options.startWatchdog = true;
        options.watchdog.limit = limit;
        options.watchdog.interval = 20ms;
        ComposedDesktop desktop(executor, std::move(options));
        auto c = desktop.makeCoordinator();
        c->start(std::nullopt);
        const auto restricting = [&] {
            return c->effectiveState() == core::MenuBarState::collapsed &&
                   desktop.composition->visibility->isRestricting() &&
                   desktop.desktop->restriction().has_value();
        };
        if (desktop.runUntil(restricting, 30s) != Outcome::done) {
            _exit(3);
        }
        // The restriction is the child's to hold: the parent sees it end when
        // the child's end closes this channel.
        const std::string held = "restricting\n";
        [[maybe_unused]] const auto written = ::write(channel[1], held.data(), held.size());
        // The main thread hangs: the executor never runs again.
        for (;;) {
            pause();
        }
    }
    ASSERT_GT(child, 0);
    close(channel[1]);
    std::string told;
    char buffer[64];
    for (ssize_t got = 0; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        told.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    EXPECT_EQ(told, "restricting\n") << "the child held a restriction when it hung";
    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), system::HangWatchdog::exitStatus);
    // The fault is the last line: the process ended there, without clean-up.
    const std::string fault =
        "[app.trayvane.pellacor:watchdog] fault: " + system::HangWatchdog::faultMessage(limit) + "\n";
    EXPECT_THAT(TempDir::read(logFile), ::testing::EndsWith(fault));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
