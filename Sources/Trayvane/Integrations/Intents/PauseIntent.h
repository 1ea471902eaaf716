#pragma once

#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/Integrations/Intents/IntentDescription.h"

namespace pellacor::app {

// The shortcut action "一時停止する": everything shows until the program is resumed.
struct PauseIntent {
    static constexpr IntentDescription description{.typeName = "PauseIntent",
                                                   .action = "pause",
                                                   .title = "一時停止する",
                                                   .parameter = std::nullopt,
                                                   .summary = std::nullopt};

    concurrency::Task<IntentGate::Result> perform(IntentGate::Clock clock) const {
        return IntentGate::run(core::ExternalCommand::pause(), std::move(clock));
    }
};

} // namespace pellacor::app
