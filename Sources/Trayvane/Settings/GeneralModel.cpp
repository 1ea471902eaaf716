#include "Trayvane/Settings/GeneralModel.h"

#include "MenuBarCore/Support/Localized.h"

namespace pellacor::app {

using core::localized;

std::optional<std::string> GeneralModel::loginNote() const {
    // A failed attempt outweighs every status: the box shows the old state,
    // and the user must learn why the click did nothing.
    if (loginChangeFailed_) {
        return localized(
            "変えられませんでした。もう一度押すか、システム設定の「ログイン項目」で変えてください。");
    }
    using Status = system::LoginItemStatus;
    switch (loginStatus_) {
    case Status::enabled:
        return std::nullopt;
    case Status::requiresApproval:
        return localized("システム設定の「ログイン項目」で、オンにするのを待っています。");
    case Status::notRegistered:
        if (inApplicationsFolder_) {
            return std::nullopt;
        }
        break;
    case Status::notFound:
        break;
    }
    return localized("アプリケーションフォルダに入れると、入れられます。");
}

std::string GeneralModel::permissionText() const {
    if (!trusted_) {
        return localized("確かめています…");
    }
    if (!*trusted_) {
        return localized("許可されていません。許可が付くまで、何も隠しません。");
    }
    if (state_ == core::MenuBarState::needsPermission) {
        return localized(
            "許可は付いていますが、まだアイコンを読めません。許可の案内の「開き直す」を押してください。");
    }
    return localized("許可されています。");
}

} // namespace pellacor::app
