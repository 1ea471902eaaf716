#include "Trayvane/App/StandInPress.h"

#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/Log.h"

#include <chrono>
#include <utility>

namespace pellacor::app {

StandInPress::StandInPress(Services services) : services_(std::move(services)) {}

bool StandInPress::opensFallback(double elapsed, double sinceInput) {
    return elapsed >= 0 && elapsed <= fallbackWindow && elapsed <= sinceInput + ownPressSlack;
}

void StandInPress::pressed() {
    clock_->last = concurrency::secondsOf(services_.now());
    concurrency::spawn(*services_.executor, pressTask(clock_, services_), "stand-in press");
}

concurrency::Task<void> StandInPress::pressTask(std::shared_ptr<Clock> clock, Services services) {
    if (!services.press) {
        co_return;
    }
    auto press = services.press();
    auto outcome = co_await std::move(press);
    // Nothing pressed, or the real menu opened: nothing more to do.
    if (!outcome || outcome->kind() == system::PressOutcome::Kind::opened) {
        co_return;
    }
    const double elapsed = concurrency::secondsOf(services.now()) - clock->last;
    const double since = services.secondsSinceLastPress ? services.secondsSinceLastPress() : 0;
    if (opensFallback(elapsed, since)) {
        if (services.showFallbackMenu) {
            services.showFallbackMenu();
        }
        co_return;
    }
    core::Log::app().notice("利用者の切り替えのメニューは開けませんでした。押したあとに操作があったので、予備"
                            "のメニューは出しません");
}

} // namespace pellacor::app
