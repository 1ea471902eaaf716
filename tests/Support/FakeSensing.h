#pragma once

#include "MenuBarSystem/Safety/AccessibilityTrustChecking.h"
#include "MenuBarSystem/Safety/HealthChecking.h"
#include "MenuBarSystem/Watching/HoverSensing.h"
#include "MenuBarSystem/Watching/PointerSensing.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <deque>
#include <fmt/format.h>
#include <vector>

namespace pellacor::testing {

// The health check: answers the next of `reports`, then `report`, and keeps
// every read it judged.
class FakeHealthCheck final : public system::HealthChecking {
public:
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
    bool trusted = true;
    FakeCallLog log;

    bool isTrusted() const override {
        log.note("isTrusted");
        return trusted;
    }
};

class FakePointerSensor final : public system::PointerSensing {
public:
    system::PointerSample next;
    FakeCallLog log;

    system::PointerSample sample() override {
        log.note("sample");
        return next;
    }
};

// Unscripted checks of the bar answer `space`.
class FakeHoverSensor final : public system::HoverSensing {
public:
    explicit FakeHoverSensor(concurrency::MainExecutor& executor) : spaceChecks(executor) {}

    system::HoverSample next;
    bool menuOpen = false;
    system::HoverSpaceCheck space{true, ""};
    ScriptedReplies<system::HoverSpaceCheck> spaceChecks;
    FakeCallLog log;

    system::HoverSample sample() override {
        log.note("sample");
        return next;
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
