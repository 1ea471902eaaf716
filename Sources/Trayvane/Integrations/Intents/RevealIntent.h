#pragma once

#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/Integrations/Intents/IntentDescription.h"

namespace pellacor::app {

// The shortcut action "アイコンを出す": the hidden items come out, and with
// `all` the always-hidden ones too.
struct RevealIntent {
    static constexpr IntentDescription description{
        .typeName = "RevealIntent",
        .action = "reveal",
        .title = "アイコンを出す",
        .parameter =
            IntentDescription::Parameter{
                .name = "all", .title = "「いつも隠す」も出す", .type = "Bool", .defaultValue = "false"},
        .summary = "アイコンを出す（「いつも隠す」も：${all}）",
    };

    bool all = false;

    concurrency::Task<IntentGate::Result> perform(IntentGate::Clock clock) const {
        return IntentGate::run(core::ExternalCommand::reveal(all), std::move(clock));
    }
};

} // namespace pellacor::app
