#pragma once

#include "MenuBarSystem/Pressing/ItemPressing.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <string>

namespace pellacor::testing {

// The presser. Unscripted presses answer `outcome`.
class FakeItemPresser final : public system::ItemPressing {
public:
    ~FakeItemPresser() override;

    explicit FakeItemPresser(concurrency::MainExecutor& executor)
        : presses(executor), systemPresses(executor) {}

    system::PressOutcome outcome = system::PressOutcome::notFound();
    ScriptedReplies<system::PressOutcome> presses;
    ScriptedReplies<system::PressOutcome> systemPresses;
    FakeCallLog log;

    concurrency::Task<system::PressOutcome> press(system::PressTarget target) override {
        log.note("press(" + target.bundleID + "#" + std::to_string(target.index) + ")");
        return presses.next(outcome);
    }
    concurrency::Task<system::PressOutcome> pressSystemItem(system::SystemItemTarget target) override {
        log.note("pressSystemItem(" + target.ownerBundleID + ")");
        return systemPresses.next(outcome);
    }
};

} // namespace pellacor::testing
