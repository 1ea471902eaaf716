#pragma once

#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Windows/Sheet.h"

class QLabel;

namespace pellacor::app {

// The profile bar's sheet that asks before a profile is deleted. It says that
// the bar switches to the top profile afterwards while the profile is still
// the active one (as the model lists it now). "削除" is no default button, so
// Return never deletes; Escape and "キャンセル" close the sheet without calling
// anything. "削除" always closes it, whatever the shell made of the request.
// It declares no signals or slots of its own. Main thread only.
class ProfileDeleteSheet final : public Sheet {
public:
    static constexpr int sheetWidth = 420;

    ProfileDeleteSheet(ProfileChoice choice, ProfilesModel& model, QWidget* parent = nullptr);
    ProfileDeleteSheet(const ProfileDeleteSheet&) = delete;
    ProfileDeleteSheet& operator=(const ProfileDeleteSheet&) = delete;

    const ProfileChoice& choice() const { return choice_; }
    // Whether the profile is active as the model lists it now; as it was when
    // the sheet opened once it is not listed any more.
    bool isActive() const;

private:
    void showText();

    ProfileChoice choice_;
    ProfilesModel& model_;
    core::Subscription changes_;
    QLabel* text_ = nullptr;
};

} // namespace pellacor::app
