#include "Support/CoordinatorFixture.h"

#include <algorithm>
#include <utility>

namespace pellacor::testing {

class CoordinatorFixture::EventSink final : public core::LogSink {
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

CoordinatorFixture::CoordinatorFixture()
    : reader(std::make_shared<FakeItemReader>(executor)),
      visibility(std::make_shared<FakeVisibilityController>(executor)),
      apps(std::make_shared<FakeAppActivityWatcher>()), capture(std::make_shared<FakeCaptureUseWatcher>()),
      health(std::make_shared<FakeHealthCheck>()), pointer(std::make_shared<FakePointerSensor>()),
      hover(std::make_shared<FakeHoverSensor>(executor)), trust(std::make_shared<FakeTrustCheck>()),
      presser(std::make_shared<FakeItemPresser>(executor)), drag(std::make_shared<FakeDragWatcher>()),
      screens(std::make_shared<FakeScreenSensor>()),
      reorderer(std::make_shared<FakeItemReorderer>(executor)), timings{.profile = makeProfile({}),
                                                                        .selfBundleID = selfID},
      sink_(std::make_shared<EventSink>(events)) {
    core::Log::addSink(sink_);
}

CoordinatorFixture::~CoordinatorFixture() {
    coordinator.reset();
    core::Log::removeSink(sink_);
}

core::Profile CoordinatorFixture::makeProfile(std::map<core::AppKey, core::Section> sections,
                                              core::Section newItemSection) {
    return core::Profile(core::Uuid(), "ふだん", std::move(sections), {}, newItemSection);
}

core::ItemSnapshot CoordinatorFixture::item(const std::string& owner, int index,
                                            std::optional<core::Rect> frame) {
    return core::ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, index, frame);
}

system::ItemReading::Result CoordinatorFixture::readOf(std::vector<core::ItemSnapshot> snapshots) {
    return system::ItemReading::Result::ok(std::move(snapshots));
}

void CoordinatorFixture::launch(const std::string& bundleID) {
    apps->running.insert(bundleID);
    apps->emit(system::AppActivity::launched(bundleID));
}

CoordinatorFixture::Coordinator::Services CoordinatorFixture::services() {
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

CoordinatorFixture::Coordinator::Clocks CoordinatorFixture::clocks() {
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

CoordinatorFixture::Coordinator& CoordinatorFixture::build() {
    Coordinator& c = adopt(Coordinator::create(services(), timings, clocks()));
    c.presser = presser;
    return c;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::adopt(std::shared_ptr<Coordinator> made) {
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

CoordinatorFixture::Coordinator& CoordinatorFixture::start(std::optional<PauseReason> pauseAtLaunch) {
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

CoordinatorFixture::Coordinator& CoordinatorFixture::startCollapsed(const std::string& shown,
                                                                    const std::string& hidden) {
    timings.profile = makeProfile(
        {{core::AppKey(shown), core::Section::shown}, {core::AppKey(hidden), core::Section::hidden}});
    apps->running = {shown, hidden, "com.apple.Music"};
    holdStartRead = false;
    // The reads find the program's own item, so starting ends in collapsed
    // by itself, as it does on a real bar.
    reader->items = {item(selfID)};
    Coordinator& c = start();
    EXPECT_EQ(Probe::base(c), State::collapsed);
    take();
    visibility->log.clearCalls();
    visibility->applied.clear();
    return c;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenStarted() {
    if (coordinator && Probe::hasStarted(*coordinator)) {
        return *coordinator;
    }
    return start();
}

void CoordinatorFixture::answerStartRead(std::vector<core::ItemSnapshot> snapshots) {
    answerStartRead(readOf(std::move(snapshots)));
}

void CoordinatorFixture::answerStartRead(system::ItemReading::Result result) {
    if (reader->allReads.waitingCount() > 0) {
        // The newest: an earlier coordinator's start read may still wait.
        reader->allReads.releaseNewest(std::move(result));
    } else {
        reader->allReads.immediate(std::move(result));
    }
    executor.runUntilIdle();
}

void CoordinatorFixture::restartFor(const system::HealthReport& report, system::ItemReading::Result result) {
    Coordinator& c = givenStarted();
    const bool retried = Probe::isWorthRetrying(report);
    const std::size_t attempts = retried ? timings.startRetryDelays.size() + 1 : 1;
    for (std::size_t i = 0; i < attempts; ++i) {
        health->reports.push_back(report);
    }
    if (c.baseState() == State::starting) {
        answerStartRead(std::move(result));
    } else {
        // A new attempt, as the user's resume starts one.
        if (c.baseState() != State::paused) {
            c.pause();
        }
        reader->allReads.immediate(std::move(result));
        c.resume();
        executor.runUntilIdle();
    }
    if (retried) {
        for (const auto delay : timings.startRetryDelays) {
            executor.advanceBy(delay);
        }
    }
    executor.runUntilIdle();
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenCollapsed() {
    Coordinator& c = givenStarted();
    switch (c.baseState()) {
    case State::paused:
        c.resume();
        executor.runUntilIdle();
        break;
    case State::needsPermission:
        // The trust check finds the permission and starts again; without
        // trust checks, a successful read does.
        trust->trusted = true;
        if (timings.trustCheckInterval) {
            executor.advanceBy(*timings.trustCheckInterval);
        } else {
            c.refreshItems();
            executor.runUntilIdle();
        }
        break;
    case State::revealed:
    case State::revealedAll:
        c.collapse();
        break;
    default:
        break;
    }
    if (c.baseState() == State::starting && reader->allReads.waitingCount() > 0) {
        answerStartRead(reader->items);
    }
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), State::collapsed);
    return c;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenRevealed(bool all) {
    Coordinator& c = givenCollapsed();
    const bool panelMode = c.belowBarEnabled;
    // With the panel mode on, a plain reveal opens the panel instead.
    c.belowBarEnabled = false;
    c.reveal(all);
    c.belowBarEnabled = panelMode;
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), all ? State::revealedAll : State::revealed);
    return c;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenPaused(const PauseReason& reason) {
    using Kind = PauseReason::Kind;
    if (reason.kind() == Kind::optionKeyAtLaunch || reason.kind() == Kind::osVersionChanged) {
        EXPECT_FALSE(coordinator && Probe::hasStarted(*coordinator)) << "a launch reason needs a fresh start";
        start(reason);
    } else if (reason.kind() == Kind::manual) {
        givenStarted().pause();
    } else if (reason.kind() == Kind::controlRemoved) {
        ownItemOnBar = false;
        restartFor({}, readOf(reader->items));
    } else {
        // A missing control item alone would start the fold rescue instead.
        const bool placed = ownItemPlaced;
        ownItemPlaced = false;
        restartFor(system::HealthReport{reason.problems()}, readOf(reader->items));
        ownItemPlaced = placed;
    }
    executor.runUntilIdle();
    EXPECT_EQ(coordinator->baseState(), State::paused);
    EXPECT_EQ(coordinator->currentPauseReason(), reason);
    return *coordinator;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenNeedsPermission() {
    const auto refused = system::UnavailableReason::noAccessibilityPermission;
    restartFor(system::HealthReport{{system::HealthProblem::cannotRead(refused)}},
               system::ItemReading::Result::unavailable(refused));
    EXPECT_EQ(coordinator->baseState(), State::needsPermission);
    return *coordinator;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenFoldRescue() {
    ownItemPlaced = true;
    restartFor(system::HealthReport{{system::HealthProblem::ownItemMissing}}, readOf(reader->items));
    EXPECT_EQ(coordinator->baseState(), State::collapsed);
    EXPECT_TRUE(coordinator->foldRescueActive());
    return *coordinator;
}

CoordinatorFixture::Coordinator& CoordinatorFixture::givenState(State state) {
    switch (state) {
    case State::starting: {
        Coordinator& c = givenStarted();
        if (c.baseState() != State::starting) {
            // A new attempt, its read held.
            reader->allReads.hold();
            if (c.baseState() != State::paused) {
                c.pause();
            }
            c.resume();
            executor.runUntilIdle();
        }
        return c;
    }
    case State::needsPermission:
        return givenNeedsPermission();
    case State::paused:
        return givenPaused(PauseReason::manual());
    case State::collapsed:
        return givenCollapsed();
    case State::revealed:
        return givenRevealed(false);
    case State::revealedAll:
        return givenRevealed(true);
    case State::privacyOverride:
        givenCollapsed();
        capture->change({.camera = true, .microphone = false});
        executor.runUntilIdle();
        return *coordinator;
    }
    return *coordinator;
}

void CoordinatorFixture::givenOverflow(const std::string& app) {
    Coordinator& c = *coordinator;
    constexpr double housingRight = 850;
    screens->attached = {{core::Rect(0, 0, 1512, 982), housingRight}};
    const auto kept = reader->items;
    reader->items = {item("com.apple.Music", 0, core::Rect(1200, 0, 30, 24)),
                     item(selfID, 0, core::Rect(1300, 0, 24, 24)),
                     item(std::string(core::NotchPlanner::chevronOwner), 5, core::Rect(880, 0, 18, 24)),
                     item(app, 0, core::Rect(800, 0, 40, 24))};
    c.notchOverflowEnabled = true;
    c.belowBarEnabled = true;
    c.notchSettingChanged();
    executor.runUntilIdle();
    auto check = concurrency::spawn(executor, c.checkNotch());
    executor.runUntilIdle();
    reader->items = kept;
    EXPECT_TRUE(check.isFinished() && check.result().value_or(false));
    const auto& overflow = c.currentNotchState().overflow;
    EXPECT_NE(std::find(overflow.begin(), overflow.end(), core::AppKey(app)), overflow.end());
}

std::optional<system::RevealTicket> CoordinatorFixture::revealForPress(const std::string& app,
                                                                       system::RevealPurpose purpose) {
    auto handle = concurrency::spawn(executor, coordinator->beginReveal(app, purpose));
    executor.runUntilIdle();
    EXPECT_TRUE(handle.isFinished()) << "the reveal still waits for the restriction's answer";
    return handle.isFinished() ? handle.result().value_or(std::nullopt) : std::nullopt;
}

std::optional<system::RevealTicket> CoordinatorFixture::liftForPress() {
    auto handle = concurrency::spawn(executor, coordinator->beginLift());
    executor.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    return handle.isFinished() ? handle.result().value_or(std::nullopt) : std::nullopt;
}

concurrency::TaskHandle<std::optional<system::PressOutcome>>
CoordinatorFixture::pressUnderWay(const std::string& app) {
    presser->presses.hold();
    auto handle =
        concurrency::spawn(executor, coordinator->pressItem(core::BelowBarEntry{app, 0, 41, std::nullopt},
                                                            coordinator::PressSource::belowBar));
    executor.runUntilIdle();
    EXPECT_TRUE(coordinator->pressingItem());
    return handle;
}

void CoordinatorFixture::setSection(const std::string& app, core::Section section) {
    core::Profile next = coordinator->currentProfile();
    next.sections[core::AppKey(app)] = section;
    coordinator->setProfile(std::move(next));
}

std::vector<std::string> CoordinatorFixture::take() {
    auto taken = std::move(events);
    events.clear();
    return taken;
}
std::vector<std::string> CoordinatorFixture::logLines() const {
    std::vector<std::string> lines;
    for (const auto& e : events) {
        if (e.starts_with("log(")) {
            lines.push_back(e);
        }
    }
    return lines;
}

std::size_t CoordinatorFixture::serviceCalls() const {
    return reader->log.callCount() + visibility->log.callCount() + apps->log.callCount() +
           capture->log.callCount() + health->log.callCount() + pointer->log.callCount() +
           hover->log.callCount() + trust->log.callCount() + presser->log.callCount() +
           drag->log.callCount() + screens->log.callCount() + reorderer->log.callCount();
}
void CoordinatorFixture::clearServiceCalls() {
    for (FakeCallLog* log :
         {&reader->log, &visibility->log, &apps->log, &capture->log, &health->log, &pointer->log, &hover->log,
          &trust->log, &presser->log, &drag->log, &screens->log, &reorderer->log}) {
        log->clearCalls();
    }
}

} // namespace pellacor::testing
