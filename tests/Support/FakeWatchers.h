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

class FakeAppActivityWatcher final : public system::AppActivityWatching {
public:
    std::set<std::string> running;
    FakeCallLog log;

    void start(EventHandler onEvent) override {
        log.note("start");
        handler_ = std::move(onEvent);
    }
    std::set<std::string> runningBundleIDs() const override {
        log.note("runningBundleIDs");
        return running;
    }
    void stop() override {
        log.note("stop");
        handler_ = nullptr;
    }

    bool isWatching() const { return static_cast<bool>(handler_); }
    // Delivers the event as the workspace would; false while not watching.
    bool emit(const system::AppActivity& event) {
        if (!handler_) {
            return false;
        }
        auto handler = handler_;
        handler(event);
        return true;
    }

private:
    EventHandler handler_;
};

class FakeCaptureUseWatcher final : public system::CaptureUseWatching {
public:
    system::CaptureUse use;
    FakeCallLog log;

    system::CaptureUse current() const override {
        log.note("current");
        return use;
    }
    void start(ChangeHandler onChange) override {
        log.note("start");
        handler_ = std::move(onChange);
    }
    void stop() override {
        log.note("stop");
        handler_ = nullptr;
    }

    bool isWatching() const { return static_cast<bool>(handler_); }
    // A new measurement: stored, and handed to the handler when it differs.
    void change(system::CaptureUse next) {
        if (next == use) {
            return;
        }
        use = next;
        if (handler_) {
            auto handler = handler_;
            handler(next);
        }
    }
    // The handler as it was when started, to deliver a value no matter what.
    ChangeHandler handler() const { return handler_; }

private:
    ChangeHandler handler_;
};

class FakeDragWatcher final : public system::MenuBarDragWatching {
public:
    FakeCallLog log;

    void start(Handler handler) override {
        log.note("start");
        handler_ = std::move(handler);
    }
    void stop() override {
        log.note("stop");
        handler_ = nullptr;
    }

    bool isWatching() const { return static_cast<bool>(handler_); }
    bool emit(const system::MenuBarDragEvent& event) {
        if (!handler_) {
            return false;
        }
        auto handler = handler_;
        handler(event);
        return true;
    }

private:
    Handler handler_;
};

class FakeScreenSensor final : public system::ScreenSensing {
public:
    std::vector<core::NotchPlanner::Screen> attached;
    FakeCallLog log;

    std::vector<core::NotchPlanner::Screen> screens() override {
        log.note("screens");
        return attached;
    }
    void start(std::function<void()> onChange) override {
        log.note("start");
        handler_ = std::move(onChange);
    }
    void stop() override {
        log.note("stop");
        handler_ = nullptr;
    }

    bool isWatching() const { return static_cast<bool>(handler_); }
    bool change() {
        if (!handler_) {
            return false;
        }
        auto handler = handler_;
        handler();
        return true;
    }

private:
    std::function<void()> handler_;
};

} // namespace pellacor::testing
