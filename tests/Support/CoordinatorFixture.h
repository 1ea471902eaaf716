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
// turned off, the start attempt's first read is held and never answered, so the
// coordinator stays `starting` until the test sets a state itself.
class CoordinatorFixture : public ::testing::Test {
protected:
    using Coordinator = coordinator::Coordinator;
    using Probe = coordinator::CoordinatorProbe;
    using State = core::MenuBarState;
    using PauseReason = coordinator::PauseReason;

    static constexpr const char* selfID = "app.trayvane.pellacor";

    CoordinatorFixture()
        : reader(std::make_shared<FakeItemReader>(executor)),
          visibility(std::make_shared<FakeVisibilityController>(executor)),
          apps(std::make_shared<FakeAppActivityWatcher>()),
          capture(std::make_shared<FakeCaptureUseWatcher>()), health(std::make_shared<FakeHealthCheck>()),
          pointer(std::make_shared<FakePointerSensor>()), hover(std::make_shared<FakeHoverSensor>(executor)),
          trust(std::make_shared<FakeTrustCheck>()), presser(std::make_shared<FakeItemPresser>(executor)),
          drag(std::make_shared<FakeDragWatcher>()), screens(std::make_shared<FakeScreenSensor>()),
          reorderer(std::make_shared<FakeItemReorderer>(executor)), timings{.profile = makeProfile({}),
                                                                            .selfBundleID = selfID},
          sink_(std::make_shared<EventSink>(events)) {
        core::Log::addSink(sink_);
    }

    ~CoordinatorFixture() override {
        coordinator.reset();
        core::Log::removeSink(sink_);
    }

    // A profile with these sections; new applications go to hidden.
    static core::Profile makeProfile(std::map<core::AppKey, core::Section> sections,
                                     core::Section newItemSection = core::Section::hidden) {
        return core::Profile(core::Uuid(), "ふだん", std::move(sections), {}, newItemSection);
    }

    // One status item of `owner`, its `index`-th, with a frame when given.
    static core::ItemSnapshot item(const std::string& owner, int index = 0,
                                   std::optional<core::Rect> frame = std::nullopt) {
        return core::ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, index, frame);
    }
    static system::ItemReading::Result readOf(std::vector<core::ItemSnapshot> snapshots) {
        return system::ItemReading::Result::ok(std::move(snapshots));
    }
    // The application launches, as the workspace tells it.
    void launch(const std::string& bundleID) {
        apps->running.insert(bundleID);
        apps->emit(system::AppActivity::launched(bundleID));
    }

    Coordinator::Services services() {
        return Coordinator::Services{
            .reader = realReader ? realReader : reader,
            .visibility = realVisibility ? realVisibility : visibility,
            .appWatcher = apps,
            .captureWatcher = capture,
            .health = health,
            .pointer = pointer,
            .hover = hover,
            .trust = trust,
            .dragWatcher = realDragWatcher ? realDragWatcher : drag,
            .screens = realScreens ? realScreens : screens,
            .reorderer = reorderer,
            .ownItemPlaced = [this] { return ownItemPlaced; },
            .ownItemOnBar = [this] { return ownItemOnBar; },
        };
    }

    Coordinator::Clocks clocks() {
        Coordinator::Clocks clocks(executor);
        clocks.sleep = [this](concurrency::Duration d) {
            sleeps.push_back(d);
            return concurrency::sleep(d);
        };
        clocks.revealSleep = [this](concurrency::Duration d) {
            revealSleeps.push_back(d);
            return concurrency::sleep(d);
        };
        return clocks;
    }

    Coordinator& build() {
        Coordinator& c = adopt(Coordinator::create(services(), timings, clocks()));
        c.presser = presser;
        return c;
    }

    // Takes a coordinator built some other way (over real services, say) and
    // records its callbacks in `events`.
    Coordinator& adopt(std::shared_ptr<Coordinator> made) {
        coordinator = std::move(made);
        EXPECT_NE(coordinator, nullptr);
        Coordinator& c = *coordinator;
        c.belowBarVisible = [this] { return belowBarVisible; };
        c.onStateChange = [this](State s) { note("state({})", core::rawValue(s)); };
        c.onItemsChange = [this](const auto& list) { note("items({})", list.size()); };
        c.onProfileChange = [this](const core::Profile&) { note("profile"); };
        c.onTrustChange = [this](bool b) { note("trust({})", b); };
        c.onPermissionWaitChange = [this](bool b) { note("permissionWait({})", b); };
        c.onRestrictionConfirmed = [this] { note("restrictionConfirmed"); };
        c.onBelowBar = [this](bool b) { note("belowBar({})", b); };
        c.onUserSwitcherStandIn = [this](bool b) { note("standIn({})", b); };
        c.onNotchOverflowChange = [this](const auto& set) { note("notchOverflow({})", set.size()); };
        c.onLayoutOrder = [this](const auto& order) {
            note("layoutOrder({})", order ? static_cast<long long>(order->size()) : -1LL);
        };
        c.onUserSwitcherAnswer = [this](bool b) { note("userSwitcherAnswer({})", b); };
        c.onUserSwitcherWidth = [this](double w) { note("userSwitcherWidth({})", w); };
        return c;
    }

    Coordinator& start(std::optional<PauseReason> pauseAtLaunch = std::nullopt) {
        if (!coordinator) {
            build();
        }
        if (holdStartRead && !pauseAtLaunch && !Probe::hasStarted(*coordinator)) {
            reader->allReads.hold();
        }
        coordinator->start(std::move(pauseAtLaunch));
        executor.runUntilIdle();
        return *coordinator;
    }

    // Started and collapsed with `shown` and `hidden` running beside Apple's
    // music player, in those sections; the restriction is in force and the
    // events and restriction calls so far are forgotten.
    Coordinator& startCollapsed(const std::string& shown, const std::string& hidden) {
        timings.profile = makeProfile(
            {{core::AppKey(shown), core::Section::shown}, {core::AppKey(hidden), core::Section::hidden}});
        apps->running = {shown, hidden, "com.apple.Music"};
        Coordinator& c = start();
        Probe::setBase(c, State::collapsed, std::nullopt);
        executor.runUntilIdle();
        take();
        visibility->log.clearCalls();
        visibility->applied.clear();
        return c;
    }

    // The events so far, forgotten afterwards.
    std::vector<std::string> take() {
        auto taken = std::move(events);
        events.clear();
        return taken;
    }
    // Only the log lines among the events (without taking them).
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        for (const auto& e : events) {
            if (e.starts_with("log(")) {
                lines.push_back(e);
            }
        }
        return lines;
    }

    // Every call any fake has seen.
    std::size_t serviceCalls() const {
        return reader->log.callCount() + visibility->log.callCount() + apps->log.callCount() +
               capture->log.callCount() + health->log.callCount() + pointer->log.callCount() +
               hover->log.callCount() + trust->log.callCount() + presser->log.callCount() +
               drag->log.callCount() + screens->log.callCount() + reorderer->log.callCount();
    }
    void clearServiceCalls() {
        for (FakeCallLog* log :
             {&reader->log, &visibility->log, &apps->log, &capture->log, &health->log, &pointer->log,
              &hover->log, &trust->log, &presser->log, &drag->log, &screens->log, &reorderer->log}) {
            log->clearCalls();
        }
    }

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
    class EventSink final : public core::LogSink {
    public:
        explicit EventSink(std::vector<std::string>& events) : events_(events) {}
        void write(const core::LogRecord& record) override {
            if (record.category == "app") {
                events_.push_back(fmt::format("log({}) {}", core::toString(record.level), record.message));
            }
        }

    private:
        std::vector<std::string>& events_;
    };

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
