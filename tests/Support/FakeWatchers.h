#pragma once

#include "MenuBarSystem/Watching/AppActivityWatching.h"
#include "MenuBarSystem/Watching/CaptureUseWatching.h"
#include "MenuBarSystem/Watching/MenuBarDragWatching.h"
#include "MenuBarSystem/Watching/ScreenSensing.h"
#include "Support/FakeCallLog.h"

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pellacor::testing {

// The watchers the coordinator starts and stops. Each keeps the handler it was
// started with, and the test plays events through it.

// The handler of one watch: kept by `start`, dropped by `stop`, both noted in the log.
template <typename Handler> class FakeWatch {
public:
    explicit FakeWatch(const FakeCallLog& log) : log_(log) {}

    void start(Handler handler) {
        log_.note("start");
        handler_ = std::move(handler);
    }
    void stop() {
        log_.note("stop");
        handler_ = nullptr;
    }
    bool isWatching() const { return static_cast<bool>(handler_); }
    // The handler as it was when started, to deliver a value no matter what.
    const Handler& handler() const { return handler_; }
    // Calls the handler (a copy, so that it may stop the watch); false while not watching.
    template <typename... Args> bool deliver(Args&&... args) {
        if (!handler_) {
            return false;
        }
        auto handler = handler_;
        handler(std::forward<Args>(args)...);
        return true;
    }

private:
    const FakeCallLog& log_;
    Handler handler_;
};

class FakeAppActivityWatcher final : public system::AppActivityWatching {
public:
    ~FakeAppActivityWatcher() override;

    std::set<std::string> running;
    FakeCallLog log;
    FakeWatch<EventHandler> watch{log};

    void start(EventHandler onEvent) override { watch.start(std::move(onEvent)); }
    std::set<std::string> runningBundleIDs() const override {
        log.note("runningBundleIDs");
        return running;
    }
    void stop() override { watch.stop(); }

    bool isWatching() const { return watch.isWatching(); }
    // Delivers the event as the workspace would; false while not watching.
    bool emit(const system::AppActivity& event) { return watch.deliver(event); }
};

class FakeCaptureUseWatcher final : public system::CaptureUseWatching {
public:
    ~FakeCaptureUseWatcher() override;

    system::CaptureUse use;
    FakeCallLog log;
    FakeWatch<ChangeHandler> watch{log};

    system::CaptureUse current() const override {
        log.note("current");
        return use;
    }
    void start(ChangeHandler onChange) override { watch.start(std::move(onChange)); }
    void stop() override { watch.stop(); }

    bool isWatching() const { return watch.isWatching(); }
    ChangeHandler handler() const { return watch.handler(); }
    // A new measurement: stored, and handed to the handler when it differs.
    void change(system::CaptureUse next) {
        if (next == use) {
            return;
        }
        use = next;
        watch.deliver(next);
    }
};

class FakeDragWatcher final : public system::MenuBarDragWatching {
public:
    ~FakeDragWatcher() override;

    FakeCallLog log;
    FakeWatch<Handler> watch{log};

    void start(Handler handler) override { watch.start(std::move(handler)); }
    void stop() override { watch.stop(); }

    bool isWatching() const { return watch.isWatching(); }
    bool emit(const system::MenuBarDragEvent& event) { return watch.deliver(event); }
};

class FakeScreenSensor final : public system::ScreenSensing {
public:
    ~FakeScreenSensor() override;

    std::vector<core::NotchPlanner::Screen> attached;
    FakeCallLog log;
    FakeWatch<std::function<void()>> watch{log};

    std::vector<core::NotchPlanner::Screen> screens() override {
        log.note("screens");
        return attached;
    }
    void start(std::function<void()> onChange) override { watch.start(std::move(onChange)); }
    void stop() override { watch.stop(); }

    bool isWatching() const { return watch.isWatching(); }
    bool change() { return watch.deliver(); }
};

} // namespace pellacor::testing
