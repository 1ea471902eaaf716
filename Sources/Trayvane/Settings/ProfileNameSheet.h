#pragma once

#include "Trayvane/Settings/ProfileBarEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Windows/Sheet.h"

#include <optional>
#include <string>

class QLineEdit;

namespace pellacor::app {

// The profile bar's sheet that names a new profile or changes the active
// one's name. One sheet per opening of the bar's editor; it starts with the
// editor's text in the field and no problem shown. Return commits through the
// one default button, Escape and "キャンセル" close it without calling
// anything. A problem stays until the next commit replaces it: typing does not
// check the name. It declares no signals or slots of its own. Main thread only.
class ProfileNameSheet final : public Sheet {
public:
    static constexpr int sheetWidth = 420;

    ProfileNameSheet(ProfilesModel& model, ProfileBarEditor editor, QWidget* parent = nullptr);
    ProfileNameSheet(const ProfileNameSheet&) = delete;
    ProfileNameSheet& operator=(const ProfileNameSheet&) = delete;

    const ProfileBarEditor& editor() const { return editor_; }
    const std::optional<std::string>& problem() const { return problem_; }

    // Checks the typed name and hands it on; closes the sheet when that worked
    // or there was nothing to change, else shows why not.
    void commit();

private:
    ProfilesModel& model_;
    ProfileBarEditor editor_;
    std::optional<std::string> problem_;
    QLineEdit* name_ = nullptr;
};

} // namespace pellacor::app
