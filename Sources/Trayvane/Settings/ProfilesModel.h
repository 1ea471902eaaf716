#pragma once

#include "MenuBarCore/Support/Observers.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <vector>

namespace pellacor::app {

// The model behind the settings' profile bar: the profiles it offers. The
// shell's profile editor keeps `choices` current after every edit of the
// state document. Plain C++, observable; main thread.
class ProfilesModel {
public:
    enum class Property { choices };

    // In the stored profiles' order; normally exactly one is active.
    const std::vector<ProfileChoice>& choices() const { return choices_; }
    // An equal list (element by element) is stored without telling anyone.
    void setChoices(std::vector<ProfileChoice> choices) {
        observers.assign(choices_, std::move(choices), Property::choices);
    }

    core::Observers<Property> observers;

private:
    std::vector<ProfileChoice> choices_;
};

} // namespace pellacor::app
