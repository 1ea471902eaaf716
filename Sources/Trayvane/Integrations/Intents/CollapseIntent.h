#pragma once

#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/Integrations/Intents/IntentDescription.h"

namespace pellacor::app {

// The shortcut action "アイコンをしまう": the items go back behind the divider.
struct CollapseIntent {
    static constexpr IntentDescription description{.typeName = "CollapseIntent",
                                                   .action = "collapse",
                                                   .title = "アイコンをしまう",
                                                   .parameter = std::nullopt,
                                                   .summary = std::nullopt};

    concurrency::Task<IntentGate::Result> perform(IntentGate::Clock clock) const {
        return IntentGate::run(core::ExternalCommand::collapse(), std::move(clock));
    }
};

} // namespace pellacor::app
