// Command-drag sorting over the real drag watcher, item reader and visibility
// controller on a simulated desktop: the simulated user drags an item across
// the control item, the bar moves it, and the coordinator moves its application
// to the other section and restricts the bar to match.

#include "Concurrency/ManualTimerQueue.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Reading/ItemReader.h"
#include "MenuBarSystem/Reading/SystemAccessibility.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "MenuBarSystem/Visibility/VisibilityController.h"
#include "MenuBarSystem/Watching/MenuBarDragWatcher.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/CoordinatorFixture.h"
#include "Support/DesktopBuilders.h"
#include "Support/DesktopDrive.h"
#include "Support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::Section;
using platform::MenuBarLayoutFile;

// One plain screen whose bar holds, left to right: Bramble's item (hidden), the
// control item, Fern's item (shown) and the system's clock.
class DragEndToEnd : public CoordinatorFixture {
protected:
    static constexpr const char* fern = "com.example.fernlight";
    static constexpr const char* bramble = "com.example.brambleclip";

    Coordinator& collapsedOnTheDesktop() {
        platform::Scenario scenario;
        scenario.screens = {platform::SimulatedScreen{core::Rect(0, 0, 1000, 800)}};
        // The system's clock stands rightmost.
        platform::SimulatedStatusItem clock = statusItem("com.apple.menuextra.clock", 100);
        clock.kind = platform::SimulatedStatusItem::Kind::system;
        scenario.applications = {application("com.apple.controlcenter", 10, {clock}),
                                 application(selfID, 20, {statusItem("trv-control", 28)}),
                                 application(fern, 21, {statusItem("fern.icon", 30)}),
                                 application(bramble, 22, {statusItem("bramble.icon", 30)})};
        // Items are read only from application bundles.
        for (auto& app : scenario.applications) {
            app.bundlePath = "/Applications/" + app.bundleIdentifier.value_or("") + ".app";
        }
        scenario.home.folder = home.path();
        // Right to left.
        scenario.home.layoutTable = {{MenuBarLayoutFile::key(fern, "Item-0"), 0},
                                     {MenuBarLayoutFile::key(selfID, "Item-0"), 1},
                                     {MenuBarLayoutFile::key(bramble, "Item-0"), 2}};
        simulated = std::make_unique<platform::SimulatedPlatform>(scenario);
        simulated->setMainQueue(std::make_shared<system::MainQueue>(executor));
        desktop = simulated->desktop();
        // The watcher samples the simulated user on its queue's clock; the desktop
        // and the executor keep to the same time.
        desktop->setClock([queue = queue] { return queue->now().time_since_epoch(); });

        realVisibility = system::VisibilityController::create(executor, simulated->runtimeLoader(), selfID);
        realReader = std::make_shared<system::ItemReader>(std::make_shared<system::SystemAccessibility>(
            simulated->accessibility(), simulated->workspace()));
        realDragWatcher = system::MenuBarDragWatcher::create(simulated->services(), executor, queue);
        apps->running = {selfID, fern, bramble};
        // The order the program would write is already the bar's.
        reorderer->table = {{"status:" + std::string(fern) + "::Item-0", 0},
                            {"status:" + std::string(selfID) + "::Item-0", 1},
                            {"status:" + std::string(bramble) + "::Item-0", 2}};
        timings.profile = makeProfile({{AppKey(fern), Section::shown}, {AppKey(bramble), Section::hidden}});
        timings.trustCheckInterval = std::nullopt;
        timings.autoCollapseAfter = std::nullopt;

        Coordinator& c = build();
        c.dragSortEnabled = true;
        // The start's read of the desktop, on the reader's thread, finds the bar healthy and collapses.
        start();
        EXPECT_TRUE(executor.runUntil([&] { return c.baseState() == State::collapsed; }));
        drive([&] { return realVisibility->currentPlan() == Probe::requestedPlan(c); });
        return c;
    }

    // The three clocks move together, to the next moment any of them has
    // something due; not while a read after a drag is on its way on the reader's
    // queue or a restriction change is being delivered; at most `limit` of it.
    void drive(const std::function<bool()>& done, concurrency::Duration limit = 30s) {
        DesktopDrive drive{executor, *simulated->restrictionService()};
        drive.busy = [this] {
            const auto& reading = Probe::dragTask(*coordinator);
            return reading && !reading.isFinished();
        };
        drive.otherMoment = [this] {
            std::optional<concurrency::Instant> next = queue->nextDeadline();
            if (const auto at = desktop->nextMoment(); at && (!next || concurrency::Instant(*at) < *next)) {
                next = concurrency::Instant(*at);
            }
            return next;
        };
        drive.moveOthers = [this](concurrency::Instant to) {
            queue->advanceTo(to);
            desktop->passTime();
        };
        drive.until(done, limit);
    }

    // The middle of an item on the bar, top-down.
    std::optional<core::Point> middleOf(const std::string& identifier) const {
        for (const auto& placed : desktop->menuBarItems()) {
            if (placed.item.identifier == identifier) {
                return core::Point{placed.frame.midX(), placed.frame.midY()};
            }
        }
        return std::nullopt;
    }
    bool onBar(const std::string& bundleID) const {
        const auto placed = desktop->menuBarItems();
        return std::any_of(placed.begin(), placed.end(), [&](const platform::PlacedStatusItem& p) {
            return p.ownerBundleIdentifier == bundleID;
        });
    }
    bool allowed(const std::string& bundleID) const {
        const auto restriction = desktop->restriction();
        return !restriction || restriction->allowedBundleIdentifiers.contains(bundleID);
    }

    // The simulated user Command-drags the item to a point `offset` from the
    // control item's middle, slowly enough that the watcher sees the press on it.
    void commandDrag(const std::string& identifier, double offset) {
        const auto from = middleOf(identifier);
        const auto control = middleOf("trv-control");
        ASSERT_TRUE(from && control);
        const core::Point to{control->x + offset, control->y};
        const core::Rect screen = desktop->mainScreen().frame;
        simulated->performCommandDrag(core::convertScreenSpace(*from, screen),
                                      core::convertScreenSpace(to, screen), 1s);
    }

    TempDir home;
    std::shared_ptr<concurrency::ManualTimerQueue> queue =
        std::make_shared<concurrency::ManualTimerQueue>("drag");
    std::unique_ptr<platform::SimulatedPlatform> simulated;
    std::shared_ptr<platform::SimulatedDesktop> desktop;
};

TEST_F(DragEndToEnd, DraggingAnItemAcrossTheControlItemMovesItsApplicationAndTheRestrictionFollows) {
    Coordinator& c = collapsedOnTheDesktop();
    ASSERT_TRUE(onBar(fern));
    ASSERT_FALSE(onBar(bramble));

    // Collapsed: the shown application's item goes left of the control item.
    commandDrag("fern.icon", -30);
    drive([&] { return Probe::profile(c).section(AppKey(fern)) == Section::hidden && !onBar(fern); });
    EXPECT_FALSE(allowed(fern));
    EXPECT_THAT(events, ::testing::Contains(
                            "log(info) ⌘ドラッグで区画を変えました（com.example.fernlight：shown→hidden）"));

    // Revealed: the hidden one goes right of it, and stays once the bar collapses.
    c.reveal(false);
    drive([&] { return onBar(bramble) && onBar(fern); });
    commandDrag("bramble.icon", 30);
    drive([&] { return Probe::profile(c).section(AppKey(bramble)) == Section::shown; });
    EXPECT_THAT(events,
                ::testing::Contains(
                    "log(info) ⌘ドラッグで区画を変えました（com.example.brambleclip：hidden→shown）"));
    c.collapse();
    drive([&] { return !onBar(fern); });
    EXPECT_TRUE(onBar(bramble));
    EXPECT_TRUE(allowed(bramble));
    EXPECT_FALSE(allowed(fern));
    EXPECT_THAT(events, ::testing::Not(::testing::Contains(::testing::HasSubstr("区画は変えません"))));

    c.shutdown();
    executor.runUntilIdle();
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
