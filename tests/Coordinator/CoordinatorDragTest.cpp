#include "Support/CoordinatorFixture.h"
#include "Support/DragPrinters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::DragSorting;
using core::ItemSnapshot;
using core::Section;
using core::VisibilityPlan;
using system::MenuBarDragEvent;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using Hit = DragSorting::Hit;
using Read = system::ItemReading::Result;

constexpr const char* agent = "com.apple.MenuBarAgent";

// One item on the bar, from x, 24 points wide unless said otherwise (top-down).
ItemSnapshot at(const std::string& owner, double x, int index = 0, std::optional<std::string> identifier = {},
                double width = 24) {
    return ItemSnapshot(owner, 100, std::move(identifier), std::nullopt, std::nullopt, index,
                        core::Rect(x, 0, width, 24));
}

// The collapsed coordinator with the drag-sort switch on. Its bar, left to
// right: the control item at 500, the shown application at 540, the music
// player at 600; the hidden application, when revealed, at 400.
class Drag : public CollapsedCoordinatorFixture {
protected:
    static constexpr const char* noAppLine =
        "log(info) "
        "⌘ドラッグを見ましたが、動かしたのはアプリのアイコンではないか、決められません（区画は変えません）";
    static constexpr const char* changedDuringReadLine =
        "log(info) ⌘ドラッグのあと、読んでいる間に見え方が変わりました（区画は変えません）";

    Drag() { timings.trustCheckInterval = std::nullopt; }

    Coordinator& sorting() {
        // As the collapse sets it; the switch goes on before the coordinator starts.
        timings.profile = makeProfile({{AppKey(shown), Section::shown}, {AppKey(hidden), Section::hidden}});
        build().dragSortEnabled = true;
        Coordinator& c = collapsed();
        reader->items = bar();
        reader->log.clearCalls();
        drag->log.clearCalls();
        return c;
    }

    static ItemSnapshot control(double x = 500) { return at(selfID, x, 0, "trv-control", 28); }
    static std::vector<ItemSnapshot> bar() {
        return {control(), at(shown, 540, 0, "shown.icon"), at("com.apple.Music", 600)};
    }
    // The read limited to the grabbed application, the program and the menu-bar agent.
    static std::set<std::string> ownersOf(const std::string& app) { return {app, selfID, agent}; }

    // A Command-drag of the application's item, dropped at x.
    static MenuBarDragEvent dragOf(const std::string& app, double dropX) {
        return MenuBarDragEvent{Hit::item(app, "icon"), Hit::none(), true, {552, 12}, {dropX, 12}};
    }
    static MenuBarDragEvent dragOfDivider(double dropX) {
        return MenuBarDragEvent{Hit::item(selfID, "trv-control"), Hit::none(), true, {514, 12}, {dropX, 12}};
    }

    void dragged(const MenuBarDragEvent& event) {
        ASSERT_TRUE(drag->emit(event)) << "the watch is not running";
        executor.runUntilIdle();
    }
};

TEST_F(Drag, TheWatchRunsOnlyWhileTheSwitchIsOnAndTheBarCanBeSorted) {
    Coordinator& c = sorting();
    EXPECT_TRUE(drag->isWatching());
    EXPECT_TRUE(Probe::isDragWatchRunning(c));

    // Between the sorting states the running watch is left alone.
    c.reveal(false);
    c.reveal(true);
    c.collapse();
    executor.runUntilIdle();
    EXPECT_THAT(drag->log.calls(), IsEmpty());

    struct Step {
        const char* name;
        std::function<void()> act;
        bool watching;
        std::vector<std::string> calls;
    };
    const Step steps[] = {
        {"a camera in use", [&] { capture->change({.camera = true, .microphone = false}); }, false, {"stop"}},
        {"the camera off", [&] { capture->change({}); }, true, {"start"}},
        {"paused", [&] { c.pause(); }, false, {"stop"}},
        {"starting",
         [&] {
             reader->allReads.hold();
             c.resume();
         },
         false,
         {}},
        {"collapsed", [&] { givenCollapsed(); }, true, {"start"}},
        {"needsPermission", [&] { givenNeedsPermission(); }, false, {"stop"}},
        {"revealedAll", [&] { givenRevealed(true); }, true, {"start"}},
        {"the switch off",
         [&] {
             c.dragSortEnabled = false;
             c.updateDragWatch();
         },
         false,
         {"stop"}},
        {"the switch on",
         [&] {
             c.dragSortEnabled = true;
             c.updateDragWatch();
         },
         true,
         {"start"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        drag->log.clearCalls();
        step.act();
        executor.runUntilIdle();
        EXPECT_EQ(drag->isWatching(), step.watching);
        EXPECT_EQ(Probe::isDragWatchRunning(c), step.watching);
        EXPECT_EQ(drag->log.calls(), step.calls);
    }

    drag->log.clearCalls();
    c.shutdown();
    EXPECT_EQ(drag->log.calls(), std::vector<std::string>{"stop"});
    EXPECT_FALSE(Probe::isDragWatchRunning(c));
}

TEST_F(Drag, WithoutAWatcherTheSwitchStartsNothing) {
    auto services = this->services();
    services.dragWatcher = nullptr;
    coordinator = Coordinator::create(services, timings, clocks());
    ASSERT_NE(coordinator, nullptr);
    coordinator->dragSortEnabled = true;
    Coordinator& c = collapsed();
    c.updateDragWatch();
    EXPECT_FALSE(Probe::isDragWatchRunning(c));
    EXPECT_THAT(drag->log.calls(), IsEmpty());
}

// What the drag picked up: the press's item, else the release's when the press
// was on the bar; the program's other items, Apple's items and owner-less ones
// are never grabbed.
TEST_F(Drag, TheGrabDecidesWhatIsReadOrDropsTheDragWithItsLine) {
    struct Row {
        const char* name;
        MenuBarDragEvent event;
        std::vector<std::string> reads;
    };
    const std::string ownerRead =
        "readItems(app.trayvane.pellacor, com.apple.MenuBarAgent, com.example.shown)";
    const Row rows[] = {
        {"the press's item",
         {Hit::item(shown, "icon"), Hit::item(selfID, "trv-control"), true, {}, {560, 12}},
         {ownerRead}},
        {"from empty bar onto an item",
         {Hit::none(), Hit::item(shown, std::nullopt), true, {}, {560, 12}},
         {ownerRead}},
        {"from outside the bar onto an item",
         {Hit::none(), Hit::item(shown, "icon"), false, {}, {560, 12}},
         {}},
        {"the control item",
         {Hit::item(selfID, "trv-control"), Hit::none(), true, {}, {514, 12}},
         {"readItems"}},
        {"the program's stand-in item",
         {Hit::item(selfID, "trv-user-switcher"), Hit::none(), true, {}, {}},
         {}},
        {"an Apple item", {Hit::item("com.apple.Music", "music"), Hit::none(), true, {}, {}}, {}},
        {"Apple's, the press's item though the release is an application's",
         {Hit::item("com.apple.controlcenter", "clock"), Hit::item(shown, "icon"), true, {}, {}},
         {}},
        {"an item without owner", {Hit::item("", std::nullopt), Hit::none(), true, {}, {}}, {}},
        {"nothing at all", {Hit::none(), Hit::none(), true, {}, {}}, {}},
    };
    Coordinator& c = sorting();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        take();
        reader->log.clearCalls();
        const int generation = Probe::dragGeneration(c);
        dragged(row.event);
        EXPECT_EQ(reader->log.calls(), row.reads);
        if (row.reads.empty()) {
            EXPECT_THAT(take(), ElementsAre(noAppLine));
            EXPECT_EQ(Probe::dragGeneration(c), generation);
        } else {
            EXPECT_THAT(take(), Not(Contains(noAppLine)));
        }
    }
    EXPECT_EQ(Probe::profile(c), timings.profile);
}

TEST_F(Drag, AnItemDraggedLeftOfTheControlItemIsHiddenAndTheRestrictionFollows) {
    Coordinator& c = sorting();
    reader->items = {at(shown, 440, 0, "shown.icon"), control(), at("com.apple.Music", 600)};
    dragged(dragOf(shown, 450));

    EXPECT_EQ(Probe::profile(c).section(AppKey(shown)), Section::hidden);
    const auto events = take();
    ASSERT_GE(events.size(), 2U);
    EXPECT_EQ(events[0], "log(info) ⌘ドラッグで区画を変えました（com.example.shown：shown→hidden）");
    EXPECT_EQ(events[1], "profile");
    EXPECT_EQ(visibility->applied,
              std::vector<VisibilityPlan>{VisibilityPlan::allow({selfID, "com.apple.Music"})});
    EXPECT_FALSE(Probe::dragTask(c));

    // Dragged back right of it, the application is shown again.
    take();
    reader->items = bar();
    dragged(dragOf(shown, 552));
    EXPECT_EQ(Probe::profile(c).section(AppKey(shown)), Section::shown);
    EXPECT_THAT(take(), Contains("log(info) ⌘ドラッグで区画を変えました（com.example.shown：hidden→shown）"));
    EXPECT_EQ(visibility->applied.back(), collapsedPlan());
}

// Dragging the divider re-sides every application the plan lets through; one the
// plan keeps off the bar is left as it is.
TEST_F(Drag, TheDividerReSidesEveryVisibleApplication) {
    const std::string other = "com.example.other";
    for (const bool revealed : {false, true}) {
        SCOPED_TRACE(revealed);
        coordinator.reset();
        Coordinator& c = sorting();
        setSection(other, Section::alwaysHidden);
        apps->running.insert(other);
        if (revealed) {
            c.reveal(false);
            executor.runUntilIdle();
        }
        take();
        // The control item moved left of everything: every visible application now lies right of it.
        reader->items = {control(300), at(hidden, 400), at(other, 440), at(shown, 540),
                         at("com.apple.Music", 600)};
        dragged(dragOfDivider(314));
        EXPECT_EQ(Probe::profile(c).section(AppKey(hidden)), revealed ? Section::shown : Section::hidden);
        EXPECT_EQ(Probe::profile(c).section(AppKey(other)), Section::alwaysHidden);
        EXPECT_THAT(take(),
                    Contains(revealed
                                 ? "log(info) ⌘ドラッグで区画を変えました（com.example.hidden：hidden→shown）"
                                 : "log(info) ⌘ドラッグのあと、区画はもう合っています"));

        // Everything left of it again: each one visible goes to hidden, the always-hidden one stays.
        c.reveal(true);
        executor.runUntilIdle();
        take();
        reader->items = {at(hidden, 300), at(other, 340), at(shown, 440), control(500),
                         at("com.apple.Music", 600)};
        dragged(dragOfDivider(514));
        EXPECT_THAT(
            take(),
            Contains(revealed ? "log(info) ⌘ドラッグで区画を変えました（com.example.hidden：shown→hidden,"
                                "com.example.shown：shown→hidden）"
                              : "log(info) ⌘ドラッグで区画を変えました（com.example.shown：shown→hidden）"));
        EXPECT_EQ(Probe::profile(c).section(AppKey(other)), Section::alwaysHidden);
    }
}

// Each reason the read cannot say where the item went ends the sorting with its
// own line and no change.
TEST_F(Drag, AReadThatCannotPlaceTheItemChangesNothing) {
    struct Row {
        const char* name;
        Read read;
        double dropX;
        const char* line;
    };
    const Row rows[] = {
        {"the read failed", Read::timeout(), 552,
         "log(info) ⌘ドラッグのあと、位置を読めませんでした（区画は変えません）"},
        {"the read was refused", Read::unavailable(system::UnavailableReason::noAccessibilityPermission), 552,
         "log(info) ⌘ドラッグのあと、位置を読めませんでした（区画は変えません）"},
        {"no control item", Read::ok({at(shown, 540)}), 552,
         "log(info) ⌘ドラッグのあと、操作口の位置を読めませんでした（区画は変えません）"},
        {"the control item without a frame",
         Read::ok({ItemSnapshot(selfID, 100, "trv-control", std::nullopt, std::nullopt, 0, std::nullopt),
                   at(shown, 540)}),
         552, "log(info) ⌘ドラッグのあと、操作口の位置を読めませんでした（区画は変えません）"},
        {"the application's item gone", Read::ok({control()}), 552,
         "log(info) ⌘ドラッグのあと、動かしたアイコンの位置を読めませんでした（区画は変えません）"},
        {"its items on both sides", Read::ok({at(shown, 440, 0), control(), at(shown, 540, 1)}), 450,
         "log(info) ⌘ドラッグのあと、同じアプリのアイコンが操作口の両側にあります（区画は変えません）"},
        {"folded behind the chevron",
         Read::ok({control(), at(shown, 510), at(agent, 540, 1, std::nullopt, 16)}), 520,
         "log(info) ⌘ドラッグのあと、アイコンが「≪」の後ろに畳まれているようです（区画は変えません）"},
        {"not where it was dropped", Read::ok(bar()), 123.9,
         "log(info) "
         "⌘ドラッグのあと、動かしたアイコンが置いた所（x=123）の近くにありません（区画は変えません）"},
        {"already on its side", Read::ok(bar()), 552, "log(info) ⌘ドラッグのあと、区画はもう合っています"},
    };
    Coordinator& c = sorting();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        take();
        visibility->applied.clear();
        reader->ownerReads(ownersOf(shown)).immediate(row.read);
        dragged(dragOf(shown, row.dropX));
        EXPECT_THAT(take(), ElementsAre(row.line));
        EXPECT_EQ(Probe::profile(c), timings.profile);
        EXPECT_THAT(visibility->applied, IsEmpty());
    }
}

TEST_F(Drag, OnlyTheLatestOfTwoQuickDragsIsActedOn) {
    Coordinator& c = sorting();
    auto& reads = reader->ownerReads(ownersOf(shown));
    reads.hold();
    reads.hold();
    dragged(dragOf(shown, 450));
    dragged(dragOf(shown, 552));
    EXPECT_EQ(reads.waitingCount(), 2U);
    EXPECT_EQ(Probe::dragGeneration(c), 2);

    // The first read says the item went left; it arrives late and is dropped.
    reads.release(Read::ok({at(shown, 440), control()}));
    executor.runUntilIdle();
    EXPECT_THAT(take(), IsEmpty());
    EXPECT_EQ(Probe::profile(c).section(AppKey(shown)), Section::shown);

    reads.release(Read::ok(bar()));
    executor.runUntilIdle();
    EXPECT_THAT(take(), ElementsAre("log(info) ⌘ドラッグのあと、区画はもう合っています"));
    EXPECT_FALSE(Probe::dragTask(c));
}

// A press's reveal or lift shows the bar as the user did not arrange it: a drag
// seen then is dropped with the state, even though the state itself allows sorting.
TEST_F(Drag, ADragSeenWhileSortingIsNotPossibleIsDroppedWithTheState) {
    struct Row {
        const char* name;
        std::function<void(Coordinator&)> meanwhile;
        const char* line;
    };
    const Row rows[] = {
        {"a temporary reveal", [this](Coordinator&) { revealForPress(hidden); },
         "log(info) ⌘ドラッグを見ましたが、いまは区画を変えません（状態 collapsed）"},
        {"a temporary lift", [this](Coordinator&) { liftForPress(); },
         "log(info) ⌘ドラッグを見ましたが、いまは区画を変えません（状態 collapsed）"},
        {"paused, the event already on its way", [](Coordinator& c) { c.pause(); },
         "log(info) ⌘ドラッグを見ましたが、いまは区画を変えません（状態 paused）"},
        {"a camera in use", [this](Coordinator&) { capture->change({.camera = true, .microphone = false}); },
         "log(info) ⌘ドラッグを見ましたが、いまは区画を変えません（状態 privacyOverride）"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        coordinator.reset();
        capture->use = {};
        Coordinator& c = sorting();
        const auto handler = drag->watch.handler();
        row.meanwhile(c);
        executor.runUntilIdle();
        take();
        reader->log.clearCalls();
        handler(dragOf(shown, 450));
        executor.runUntilIdle();
        EXPECT_THAT(take(), ElementsAre(row.line));
        EXPECT_THAT(reader->log.calls(), IsEmpty());
        EXPECT_EQ(Probe::dragGeneration(c), 0);
    }
}

TEST_F(Drag, WhatChangesDuringTheReadDecidesWhetherItCounts) {
    struct Row {
        const char* name;
        std::function<void(Coordinator&)> meanwhile;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"the plan changed", [](Coordinator& c) { c.reveal(false); }, {changedDuringReadLine}},
        {"a temporary reveal began",
         [this](Coordinator&) { revealForPress(hidden); },
         {changedDuringReadLine}},
        {"the state left sorting", [this](Coordinator&) { givenNeedsPermission(); }, {changedDuringReadLine}},
        {"the switch went off", [](Coordinator& c) { c.dragSortEnabled = false; }, {}},
        {"shut down", [](Coordinator& c) { c.shutdown(); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        coordinator.reset();
        Coordinator& c = sorting();
        reader->ownerReads(ownersOf(shown)).hold();
        dragged(dragOf(shown, 450));
        row.meanwhile(c);
        executor.runUntilIdle();
        take();
        reader->ownerReads(ownersOf(shown)).release(Read::ok({at(shown, 440), control()}));
        executor.runUntilIdle();
        std::vector<std::string> lines;
        for (const auto& event : take()) {
            if (event.find("⌘ドラッグ") != std::string::npos) {
                lines.push_back(event);
            }
        }
        EXPECT_EQ(lines, row.lines);
        EXPECT_EQ(Probe::profile(c).section(AppKey(shown)), Section::shown);
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
