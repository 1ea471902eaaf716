#pragma once

#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/Integrations/Intents/IntentDescription.h"

namespace pellacor::app {

// The shortcut action "再開する": a new start, unless only the person on screen may end this pause.
struct ResumeIntent {
    static constexpr IntentDescription description{.typeName = "ResumeIntent",
                                                   .action = "resume",
                                                   .title = "再開する",
                                                   .parameter = std::nullopt,
                                                   .summary = std::nullopt};

    concurrency::Task<IntentGate::Result> perform(IntentGate::Clock clock) const {
        return IntentGate::run(core::ExternalCommand::resume(), std::move(clock));
    }
};

} // namespace pellacor::app
