#pragma once

#include "Concurrency/Task.h"
#include "MenuBarCore/Integrations/ProfileEntity.h"
#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The profiles a shortcut offers for choosing, always in the profile
// editor's order of choices. Each question first waits for the external
// control as an action does; nothing then means the program was not ready
// (`notReady`). With the profile editor gone the list is empty.
class ProfileQuery {
public:
    using Answer = std::optional<std::vector<core::ProfileEntity>>;

    // The profiles with the given ids, in choice order; unknown ids are left out.
    static concurrency::Task<Answer> entities(std::vector<core::Uuid> ids, IntentGate::Clock clock);
    // The profiles whose name holds the text (see `matching`).
    static concurrency::Task<Answer> entitiesMatching(std::string text, IntentGate::Clock clock);
    // Every profile; they are also the options of the profile parameter.
    static concurrency::Task<Answer> suggestedEntities(IntentGate::Clock clock);
    // The editor's choices as they stand once the control is there.
    static concurrency::Task<std::optional<std::vector<ProfileChoice>>> choices(IntentGate::Clock clock);

    // The answers over a list of choices.
    static std::vector<core::ProfileEntity> all(const std::vector<ProfileChoice>& choices);
    static std::vector<core::ProfileEntity> withIDs(const std::vector<ProfileChoice>& choices,
                                                    const std::vector<core::Uuid>& ids);
    // The text trimmed of white space and newlines; empty, every profile;
    // otherwise those whose name contains it, ignoring case and character
    // width (full-width "ＷＯＲＫ" finds "work").
    static std::vector<core::ProfileEntity> matching(const std::vector<ProfileChoice>& choices,
                                                     std::string_view text);
};

} // namespace pellacor::app
