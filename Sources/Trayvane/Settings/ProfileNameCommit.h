#pragma once

#include "Trayvane/Settings/ProfileBarEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"

#include <optional>
#include <string>

namespace pellacor::app {

// What committing the name sheet comes to, decided without the sheet: the
// typed name is checked, then handed to the model's add or rename callback as
// typed. Nothing means the sheet closes; a text is the problem the sheet shows
// while it stays open with the typed name.
class ProfileNameCommit {
public:
    ProfileNameCommit() = delete;

    static std::optional<std::string> run(const ProfilesModel& model, const ProfileBarEditor& editor,
                                          const std::string& name);
};

} // namespace pellacor::app
