#include "Trayvane/Launch/LaunchPreferences.h"

#include "MenuBarCore/Safety/OSVersionCheck.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Common/DefaultsKey.h"

namespace pellacor::app {

using system::LoginItemStatus;

namespace {

bool isOnOrWaiting(LoginItemStatus status) {
    return status == LoginItemStatus::enabled || status == LoginItemStatus::requiresApproval;
}

} // namespace

std::optional<coordinator::PauseReason>
LaunchPreferences::pauseReasonAtLaunch(bool modifierHeld, const std::string& currentOS) const {
    const auto check =
        core::OSVersionCheck::compare(defaults.string(DefaultsKey::confirmedOSVersion), currentOS);
    if (check.kind() == core::OSVersionCheck::Kind::changed) {
        core::Log::app().info("macOS のバージョンが変わりました（{} → {}）。一時停止で起動します",
                              check.from(), currentOS);
        return coordinator::PauseReason::osVersionChanged();
    }
    if (modifierHeld) {
        return coordinator::PauseReason::optionKeyAtLaunch();
    }
    return std::nullopt;
}

void LaunchPreferences::confirmOSVersion(const std::string& version) {
    if (defaults.string(DefaultsKey::confirmedOSVersion) == version) {
        return;
    }
    defaults.setString(DefaultsKey::confirmedOSVersion, version);
    core::Log::app().info("macOS {} を確かめたバージョンとして覚えました", version);
}

void LaunchPreferences::applyLoginItemDefault(system::LoginItemControlling& loginItem,
                                              bool inApplicationsFolder) {
    if (defaults.boolean(DefaultsKey::loginItemDefaultApplied) || !inApplicationsFolder) {
        return;
    }
    if (isOnOrWaiting(loginItem.status())) {
        defaults.setBool(DefaultsKey::loginItemDefaultApplied, true);
        return;
    }
    const auto result = loginItem.setEnabled(true);
    switch (result.kind()) {
    case system::SystemResult<LoginItemStatus>::Kind::ok: {
        const LoginItemStatus status = *result.value();
        core::Log::app().notice("ログイン時に起動を入れました（既定。状態 {}）", system::toString(status));
        if (isOnOrWaiting(status)) {
            defaults.setBool(DefaultsKey::loginItemDefaultApplied, true);
        }
        return;
    }
    case system::SystemResult<LoginItemStatus>::Kind::unavailable:
        core::Log::app().error("ログイン時に起動を入れられませんでした（{}）",
                               system::toString(*result.reason()));
        return;
    case system::SystemResult<LoginItemStatus>::Kind::timeout:
        return;
    }
}

} // namespace pellacor::app
