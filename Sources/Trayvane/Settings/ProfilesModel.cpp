#include "Trayvane/Settings/ProfilesModel.h"

#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>

namespace pellacor::app {

using core::StoredState;
using core::Text;

std::optional<ProfileChoice> ProfilesModel::active() const {
    const auto found = std::find_if(choices_.begin(), choices_.end(),
                                    [](const ProfileChoice& choice) { return choice.isActive; });
    if (found == choices_.end()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<std::string> ProfilesModel::problem(std::string_view name,
                                                  const std::optional<core::Uuid>& renaming) const {
    const auto candidate = StoredState::normalizedProfileName(name);
    if (!candidate) {
        // Too long as typed, or too long once its lines are joined (a CR LF
        // becomes two spaces, so a name within the limit as typed can outgrow
        // it): either way the limit is what the user must hear about.
        const bool tooLong =
            Text::graphemeCount(Text::trimmed(name)) > StoredState::profileNameLimit ||
            Text::graphemeCount(StoredState::normalizedProfileText(name)) > StoredState::profileNameLimit;
        if (tooLong) {
            return core::localized("名前は %lld 文字までです。",
                                   {static_cast<long long>(StoredState::profileNameLimit)});
        }
        return core::localized("名前を入れてください。");
    }
    const bool shownTaken = std::any_of(choices_.begin(), choices_.end(), [&](const ProfileChoice& choice) {
        return (!renaming || choice.id != *renaming) &&
               Text::sameIgnoringCaseAndWidth(choice.name, *candidate);
    });
    // The store refuses a name that a profile is stored under, too, even when
    // the list shows that profile by another name; saying so here beats a
    // vague failure after the attempt.
    if (shownTaken || (isNameTaken && isNameTaken(*candidate, renaming))) {
        return core::localized("「%@」はもうあります。別の名前にしてください。", {*candidate});
    }
    return std::nullopt;
}

bool ProfilesModel::isUnchangedName(const core::Uuid& profileID, std::string_view name) const {
    const auto found = std::find_if(choices_.begin(), choices_.end(),
                                    [&](const ProfileChoice& choice) { return choice.id == profileID; });
    const auto normalized = StoredState::normalizedProfileName(name);
    if (found == choices_.end() || !normalized) {
        return false;
    }
    if (Text::canonicallyEqual(found->name, *normalized)) {
        return true;
    }
    // The default profile shows a localized name but is stored under its
    // own; typing the stored one changes nothing either.
    const auto stored = storedName ? storedName(profileID) : std::nullopt;
    return stored && Text::canonicallyEqual(*stored, *normalized);
}

} // namespace pellacor::app
