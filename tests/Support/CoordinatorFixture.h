#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "MenuBarCore/Support/Log.h"
#include "Support/CoordinatorProbe.h"
#include "Support/FakeItemPresser.h"
#include "Support/FakeItemReader.h"
#include "Support/FakeItemReorderer.h"
#include "Support/FakeSensing.h"
#include "Support/FakeVisibilityController.h"
#include "Support/FakeWatchers.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pellacor::core {
inline void PrintTo(MenuBarState state, std::ostream* out) {
    *out << rawValue(state);
}
inline void PrintTo(const VisibilityPlan& plan, std::ostream* out) {
    *out << plan.description();
}
} // namespace pellacor::core

namespace pellacor::coordinator {
inline void PrintTo(const PauseReason& reason, std::ostream* out) {
    *out << toString(reason);
}
inline void PrintTo(const OrderOutcome& outcome, std::ostream* out) {
    *out << toString(outcome);
}
} // namespace pellacor::coordinator

namespace pellacor::testing {

// A coordinator over a fake of each of its services on a manual executor. What
// it tells the shell (every callback) and its "app" log lines land in `events`,
// in the order they happened:
//     "state(collapsed)", "permissionWait(true)", "restrictionConfirmed",
//     "belowBar(false)", "log(default) 状態 starting → collapsed", …
// and every duration handed to its sleep in `sleeps` (to the reveals' sleep in
// `revealSleeps`).
//
// Adjust `timings` or the services before `build()`; `start()` builds when
// needed, starts and runs the executor until idle. Unless `holdStartRead` is
// turned off, the start attempt's first read is held, so the coordinator stays
// `starting` until the test answers it (`answerStartRead`, `givenCollapsed()`
// and the other `given…` helpers below).
class CoordinatorFixture : public ::testing::Test {
protected:
    using Coordinator = coordinator::Coordinator;
    using Probe = coordinator::CoordinatorProbe;
    using State = core::MenuBarState;
    using PauseReason = coordinator::PauseReason;

    static constexpr const char* selfID = "app.trayvane.pellacor";

    CoordinatorFixture();
    ~CoordinatorFixture() override;

    // A profile with these sections; new applications go to hidden.
    static core::Profile makeProfile(std::map<core::AppKey, core::Section> sections,
                                     core::Section newItemSection = core::Section::hidden);

    // One status item of `owner`, its `index`-th, with a frame when given.
    static core::ItemSnapshot item(const std::string& owner, int index = 0,
                                   std::optional<core::Rect> frame = std::nullopt);
    static system::ItemReading::Result readOf(std::vector<core::ItemSnapshot> snapshots);
    // The application launches, as the workspace tells it.
    void launch(const std::string& bundleID);

    Coordinator::Services services();
    Coordinator::Clocks clocks();
    Coordinator& build();

    // Takes a coordinator built some other way (over real services, say) and
    // records its callbacks in `events`.
    Coordinator& adopt(std::shared_ptr<Coordinator> made);

    Coordinator& start(std::optional<PauseReason> pauseAtLaunch = std::nullopt);

    // Started and collapsed with `shown` and `hidden` running beside Apple's
    // music player, in those sections, by the real start: the start's read
    // finds the program's own item (as every later unscripted read does), so
    // starting ends in collapsed and restricts. The restriction is in force and
    // the events and restriction calls so far are forgotten.
    Coordinator& startCollapsed(const std::string& shown, const std::string& hidden);

    // -- States reached the way the running program reaches them ----------------
    //
    // Each builds and starts the coordinator when that has not happened, then
    // drives its public entry points and the fakes to the state, and runs the
    // executor until idle. What the path logs and tells stays in `events`.

    // The coordinator as it is once started (started now when it has not been).
    Coordinator& givenStarted();
    // Collapsed: a held start read is answered with what the reader holds (the
    // health check passes unless scripted otherwise), a paused or waiting
    // coordinator starts again, a revealed one collapses.
    Coordinator& givenCollapsed();
    // Revealed (everything with `all`), through a collapse and the reveal.
    Coordinator& givenRevealed(bool all = false);
    // Paused for this reason: at launch for the launch reasons, by the user
    // for `manual`, by the start's health check for `healthProblems` (retries
    // included) and by the control item off the bar for `controlRemoved`
    // (`ownItemOnBar` then stays false).
    Coordinator& givenPaused(const PauseReason& reason);
    // Waiting for the Accessibility permission: the start's read is refused for
    // the missing permission. Trust stays granted, so the next trust check
    // starts again, as it does when the permission comes.
    Coordinator& givenNeedsPermission();
    // Collapsed under the fold rescue: the start's reads find items but not the
    // control item, which has a place on screen.
    Coordinator& givenFoldRescue();
    // One of the above by the state's name: paused by hand, privacy override
    // by a camera over a collapsed bar.
    Coordinator& givenState(State state);
    // Answers the start attempt's read with these items: the held one, else
    // the next.
    void answerStartRead(std::vector<core::ItemSnapshot> snapshots);
    void answerStartRead(system::ItemReading::Result result);
    // The start attempt under way, or a new one the user's resume begins, ends
    // on this health report (on each retry too) with this read.
    void restartFor(const system::HealthReport& report, system::ItemReading::Result result);
    // `app` (shown, and the bar collapsed) taken off the bar by the notch
    // handling: on a screen with a camera housing its item lies left of the
    // housing beside the system's chevron, and a check moves it into the
    // overflow. The handling is switched on through the panel mode; the
    // reader's items are as before afterwards.
    void givenOverflow(const std::string& app);
    // A press's temporary reveal of `app` (or lift of the whole restriction),
    // begun as the presser begins it and run until it holds or fails; its
    // ticket, nothing when it failed. `endReveal` ends it.
    std::optional<system::RevealTicket>
    revealForPress(const std::string& app, system::RevealPurpose purpose = system::RevealPurpose::press);
    std::optional<system::RevealTicket> liftForPress();
    // A panel's press of `app` that the presser holds: under way until the
    // test answers `presser->presses`.
    concurrency::TaskHandle<std::optional<system::PressOutcome>> pressUnderWay(const std::string& app);
    // The active profile with `app` in `section`, handed to the coordinator as
    // the shell hands an edited profile.
    void setSection(const std::string& app, core::Section section);

    // The events so far, forgotten afterwards.
    std::vector<std::string> take();
    // Only the log lines among the events (without taking them).
    std::vector<std::string> logLines() const;

    // Every call any fake has seen.
    std::size_t serviceCalls() const;
    void clearServiceCalls();

    concurrency::ManualExecutor executor;
    std::shared_ptr<FakeItemReader> reader;
    std::shared_ptr<FakeVisibilityController> visibility;
    std::shared_ptr<FakeAppActivityWatcher> apps;
    std::shared_ptr<FakeCaptureUseWatcher> capture;
    std::shared_ptr<FakeHealthCheck> health;
    std::shared_ptr<FakePointerSensor> pointer;
    std::shared_ptr<FakeHoverSensor> hover;
    std::shared_ptr<FakeTrustCheck> trust;
    std::shared_ptr<FakeItemPresser> presser;
    std::shared_ptr<FakeDragWatcher> drag;
    std::shared_ptr<FakeScreenSensor> screens;
    std::shared_ptr<FakeItemReorderer> reorderer;

    // When set, the coordinator restricts, reads, watches the screens or watches
    // for Command-drags through these services instead of the fakes.
    std::shared_ptr<system::VisibilityControlling> realVisibility;
    std::shared_ptr<system::ItemReading> realReader;
    std::shared_ptr<system::ScreenSensing> realScreens;
    std::shared_ptr<system::MenuBarDragWatching> realDragWatcher;

    bool holdStartRead = true;
    bool ownItemPlaced = true;
    std::optional<bool> ownItemOnBar = true;
    bool belowBarVisible = true;

    Coordinator::Timings timings;
    std::vector<std::string> events;
    std::vector<concurrency::Duration> sleeps;
    std::vector<concurrency::Duration> revealSleeps;
    std::shared_ptr<Coordinator> coordinator;

private:
    // The coordinator's "app" lines, into the same list as the callbacks.
    class EventSink;

    template <typename... Args> void note(fmt::format_string<Args...> f, Args&&... args) {
        events.push_back(fmt::format(f, std::forward<Args>(args)...));
    }

    std::shared_ptr<EventSink> sink_;
};

// A coordinator started and collapsed, one shown and one hidden application
// running, its first restriction confirmed; with the plans it sends collapsed
// and revealed.
class CollapsedCoordinatorFixture : public CoordinatorFixture {
protected:
    static constexpr const char* shown = "com.example.shown";
    static constexpr const char* hidden = "com.example.hidden";

    Coordinator& collapsed() { return startCollapsed(shown, hidden); }

    static core::VisibilityPlan collapsedPlan() {
        return core::VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", shown});
    }
    static core::VisibilityPlan revealedPlan() {
        return core::VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", hidden, shown});
    }
};

} // namespace pellacor::testing
