#pragma once

#include "MenuBarCore/Support/Observers.h"
#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The model behind the settings' profile bar: the profiles it offers, the
// callbacks through which every profile action leaves the settings window,
// and the one rule the window itself applies to a typed profile name. It
// changes no profile itself: the shell's profile editor performs each action
// and keeps `choices` current after every edit of the state document. Plain
// C++, observable (only `choices`; setting a callback tells nobody); main
// thread.
class ProfilesModel {
public:
    enum class Property { choices };

    // In the stored profiles' order, named as the menus show them; normally
    // exactly one is active.
    const std::vector<ProfileChoice>& choices() const { return choices_; }
    // An equal list (element by element) is stored without telling anyone.
    void setChoices(std::vector<ProfileChoice> choices) {
        observers.assign(choices_, std::move(choices), Property::choices);
    }

    // The first active profile in list order; nothing when none is active.
    std::optional<ProfileChoice> active() const;

    // What is wrong with a typed name, in one sentence, or nothing when it
    // will do. `renaming` is the profile whose name is being changed (it never
    // clashes with itself); nothing when a profile is being added.
    std::optional<std::string> problem(std::string_view name,
                                       const std::optional<core::Uuid>& renaming) const;

    // Whether giving the profile the typed name would leave its name as it is:
    // the normalized name is the one shown or the one stored, up to canonical
    // equivalence (letter case and width count). False for a profile not
    // listed any more.
    bool isUnchangedName(const core::Uuid& profileID, std::string_view name) const;

    // The actions. Each is skipped while unset; one that answers counts as
    // having failed (false) while unset.
    std::function<void(const core::Uuid&)> onSwitch;
    // The name as typed; true when a profile was created.
    std::function<bool(const std::string&)> onAdd;
    // The name as typed; true when the name changed.
    std::function<bool(const core::Uuid&, const std::string&)> onRename;
    std::function<void(const core::Uuid&)> onDelete;
    // A free name for a new profile, from a base name.
    std::function<std::string(const std::string&)> suggestName;

    // What the stored document says beyond the shown names, since a profile
    // may be stored under a name other than the one shown (the untouched
    // default profile shows its localized name). Unset, only the shown names
    // count.
    // Whether a profile other than `except` goes by the (normalized) name,
    // stored or shown.
    std::function<bool(const std::string&, const std::optional<core::Uuid>&)> isNameTaken;
    // The profile's name as stored; nothing for an unknown profile.
    std::function<std::optional<std::string>(const core::Uuid&)> storedName;

    core::Observers<Property> observers;

private:
    std::vector<ProfileChoice> choices_;
};

} // namespace pellacor::app
