#pragma once

#include "MenuBarCore/Integrations/ProfileEntity.h"
#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/Integrations/Intents/IntentDescription.h"

namespace pellacor::app {

// The shortcut action "プロファイルを切り替える": the chosen profile becomes
// the active one, as the person's own choice. The profile has no default:
// whoever makes the shortcut picks one.
struct SwitchProfileIntent {
    static constexpr IntentDescription description{
        .typeName = "SwitchProfileIntent",
        .action = "switchProfile",
        .title = "プロファイルを切り替える",
        .parameter = IntentDescription::Parameter{.name = "profile",
                                                  .title = "プロファイル",
                                                  .type = "ProfileEntity",
                                                  .defaultValue = std::nullopt},
        .summary = "${profile} に切り替える",
    };

    core::ProfileEntity profile;

    concurrency::Task<IntentGate::Result> perform(IntentGate::Clock clock) const {
        return IntentGate::switchProfile(profile.id, std::move(clock));
    }
};

} // namespace pellacor::app
