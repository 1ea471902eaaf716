#pragma once

#include "MenuBarCore/Integrations/ExternalCommand.h"
#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/Integrations/CommandTarget.h"
#include "Trayvane/Integrations/ProfileEditing.h"
#include "Trayvane/Settings/SettingsStore.h"

#include <memory>
#include <string_view>

namespace pellacor::app {

// Carries out the commands that come from outside (URLs of the program's
// scheme, shortcuts): the only place where such a request reaches the
// coordinator or the profile editor. Every request ends in one outcome and
// one log line, and runs to its end at once, so requests take effect in the
// order they came. Main thread.
class ExternalControl {
public:
    enum class Source { url, shortcuts };
    enum class Outcome {
        done,            // carried out, or there was nothing to do
        noProfile,       // no stored profile has the name or id
        unavailable,     // the coordinator or the editor is gone, or the coordinator shut down
        resumeNeedsUser, // this pause is ended only by the user on screen
        rejected,        // the URL was refused by the grammar
    };

    // The word the log shows for a source.
    static std::string_view logWord(Source source);

    // The coordinator and the editor are reached through targets that hold
    // them weakly; the store is kept.
    ExternalControl(std::shared_ptr<CommandTarget> coordinator, std::shared_ptr<ProfileEditing> editor,
                    std::shared_ptr<SettingsStore> store);

    // One URL as delivered: parsed, then run as coming from a URL.
    Outcome open(std::string_view url);
    Outcome run(const core::ExternalCommand& command, Source source);
    // Makes the profile active as the user's own choice.
    Outcome switchProfile(const core::Uuid& profileID, Source source);

    // The instance outside requests reach; nothing before the shell has wired
    // the program and after it began to terminate. Main thread.
    static std::shared_ptr<ExternalControl> shared();
    static void publish(std::shared_ptr<ExternalControl> control);
    static void clearShared();

private:
    // Writes the outcome's log line; answers the outcome.
    Outcome finish(std::string_view kind, Source source, Outcome outcome) const;
    bool coordinatorUsable() const;

    std::shared_ptr<CommandTarget> coordinator_;
    std::shared_ptr<ProfileEditing> editor_;
    std::shared_ptr<SettingsStore> store_;
};

} // namespace pellacor::app
