#pragma once

#include "MenuBarSystem/Safety/AccessibilityTrustChecking.h"
#include "MenuBarSystem/Safety/HealthChecking.h"
#include "MenuBarSystem/Watching/HoverSensing.h"
#include "MenuBarSystem/Watching/PointerSensing.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <cstddef>
#include <deque>
#include <fmt/format.h>
#include <initializer_list>
#include <vector>

namespace pellacor::testing {

// The health check: answers the next of `reports`, then `report`, and keeps
// every read it judged.
class FakeHealthCheck final : public system::HealthChecking {
public:
    ~FakeHealthCheck() override;

    system::HealthReport report;
    mutable std::deque<system::HealthReport> reports;
    mutable std::vector<system::ItemReading::Result> judged;
    FakeCallLog log;

    system::HealthReport evaluate(const system::ItemReading::Result& read) const override {
        log.note("evaluate(" + system::toString(read) + ")");
        judged.push_back(read);
        if (reports.empty()) {
            return report;
        }
        auto next = std::move(reports.front());
        reports.pop_front();
        return next;
    }
};

class FakeTrustCheck final : public system::AccessibilityTrustChecking {
public:
    ~FakeTrustCheck() override;

    bool trusted = true;
    FakeCallLog log;

    bool isTrusted() const override {
        log.note("isTrusted");
        return trusted;
    }
};

// The samples a sensor fake gives, one per call in the order they were
// scripted; once they are used up, every call answers `next`.
template <typename Sample> class ScriptedSamples {
public:
    Sample next;

    // The next calls answer these, in order.
    void then(std::initializer_list<Sample> samples) { scripted_.insert(scripted_.end(), samples); }
    // The next `count` calls answer `sample`.
    void then(Sample sample, std::size_t count) { scripted_.insert(scripted_.end(), count, sample); }
    std::size_t scriptedCount() const { return scripted_.size(); }

    Sample take() {
        if (scripted_.empty()) {
            return next;
        }
        Sample sample = std::move(scripted_.front());
        scripted_.pop_front();
        return sample;
    }

private:
    std::deque<Sample> scripted_;
};

class FakePointerSensor final : public system::PointerSensing {
public:
    ~FakePointerSensor() override;

    ScriptedSamples<system::PointerSample> samples;
    FakeCallLog log;

    system::PointerSample sample() override {
        log.note("sample");
        return samples.take();
    }
};

// Unscripted checks of the bar answer `space`; `menuOpen` is read at every call,
// so a test (or a check it holds) can open a menu at any moment.
class FakeHoverSensor final : public system::HoverSensing {
public:
    ~FakeHoverSensor() override;

    explicit FakeHoverSensor(concurrency::MainExecutor& executor) : spaceChecks(executor) {}

    ScriptedSamples<system::HoverSample> samples;
    bool menuOpen = false;
    system::HoverSpaceCheck space{true, ""};
    ScriptedReplies<system::HoverSpaceCheck> spaceChecks;
    FakeCallLog log;

    system::HoverSample sample() override {
        log.note("sample");
        return samples.take();
    }
    bool menuIsOpen() override {
        log.note("menuIsOpen");
        return menuOpen;
    }
    concurrency::Task<system::HoverSpaceCheck> checkEmptySpace(core::Point point) override {
        log.note(fmt::format("checkEmptySpace({}, {})", point.x, point.y));
        return spaceChecks.next(space);
    }
};

} // namespace pellacor::testing
