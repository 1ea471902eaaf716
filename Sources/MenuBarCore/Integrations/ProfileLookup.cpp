// The profile an outside command names, found in the state document.
#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"

namespace pellacor::core {

std::optional<Uuid> StoredState::profileID(std::string_view name) const {
    const auto wanted = normalizedProfileName(name);
    if (!wanted) {
        return std::nullopt;
    }
    // A stored name wins over a shown one, so a profile really called
    // "ふだん" is found before the default profile that merely shows as it.
    for (const auto& profile : profiles) {
        if (Text::sameIgnoringCaseAndWidth(profile.name, *wanted)) {
            return profile.id();
        }
    }
    const auto defaultName = localized("ふだん");
    for (const auto& profile : profiles) {
        if (Text::sameIgnoringCaseAndWidth(profile.displayName(profiles, defaultName), *wanted)) {
            return profile.id();
        }
    }
    return std::nullopt;
}

} // namespace pellacor::core
