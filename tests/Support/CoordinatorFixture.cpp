#include "Support/CoordinatorFixture.h"

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
