#include "Trayvane/Settings/GeneralPageLook.h"

#include "Trayvane/StatusItem/ControlItem.h"

namespace pellacor::app {

GeneralPageLook GeneralPageLook::of(const GeneralModel& model) {
    using Status = system::LoginItemStatus;
    using core::MenuBarState;
    GeneralPageLook look;
    const Status login = model.loginStatus();
    // Waiting for approval is registered all the same: the box shows what
    // the user asked for, the note says what is still missing.
    look.loginBoxOn = login == Status::enabled || login == Status::requiresApproval;
    look.loginNote = model.loginNote();
    look.showsLoginSettings = login == Status::requiresApproval;

    const bool needsPermission = model.state() == MenuBarState::needsPermission;
    look.permissionGranted = model.trusted() == true && !needsPermission;
    look.permissionSymbol = look.permissionGranted ? "checkmark.circle.fill" : "exclamationmark.triangle";
    look.permissionText = model.permissionText();
    // While the answer is still out the guide stays away, unless the
    // coordinator already says the permission is what it waits for.
    look.showsPermissionGuide = model.trusted() == false || needsPermission;

    look.stateText = ControlItem::stateText(model.state(), model.pauseReason());
    look.offersResume = model.state() == MenuBarState::paused;
    return look;
}

} // namespace pellacor::app
