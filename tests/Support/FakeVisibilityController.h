#pragma once

#include "MenuBarSystem/Visibility/VisibilityControlling.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <functional>
#include <string>
#include <vector>

namespace pellacor::testing {

// The restriction service. An unscripted `apply` confirms the plan asked for; an
// `ok` answer puts its plan in force, and a removal lifts whatever is in force.
class FakeVisibilityController final : public system::VisibilityControlling {
public:
    ~FakeVisibilityController() override;

    using Result = system::SystemResult<core::VisibilityPlan>;

    explicit FakeVisibilityController(concurrency::MainExecutor& executor) : replies(executor) {}

    ScriptedReplies<Result> replies;
    FakeCallLog log;
    // Every plan `apply` was called with, in order.
    std::vector<core::VisibilityPlan> applied;
    int removals = 0;
    // Told the name of every call as it is made, to order calls among other events.
    std::function<void(const std::string&)> observer;

    core::VisibilityPlan currentPlan() const override { return current_; }
    concurrency::Task<Result> apply(core::VisibilityPlan plan) override {
        seen("apply(" + plan.description() + ")");
        applied.push_back(plan);
        return finish(this, replies.next(Result::ok(plan)));
    }
    void removeRestriction() override {
        seen("removeRestriction");
        ++removals;
        current_ = core::VisibilityPlan::noRestriction();
    }

private:
    void seen(const std::string& call) {
        log.note(call);
        if (observer) {
            observer(call);
        }
    }
    static concurrency::Task<Result> finish(FakeVisibilityController* self, concurrency::Task<Result> reply) {
        auto result = co_await std::move(reply);
        if (auto plan = result.value()) {
            self->current_ = *plan;
        }
        co_return result;
    }

    core::VisibilityPlan current_ = core::VisibilityPlan::noRestriction();
};

} // namespace pellacor::testing
