#include "Trayvane/Onboarding/PermissionGuideModel.h"

#include "Trayvane/Onboarding/PermissionGuideText.h"
#include "Trayvane/Theme/AppColor.h"

namespace pellacor::app {

namespace {

void call(const std::function<void()>& callback) {
    if (callback) {
        callback();
    }
}

} // namespace

void PermissionGuideModel::setTrusted(std::optional<bool> trusted) {
    observers_.assign(trusted_, trusted);
}

void PermissionGuideModel::openSettings() const {
    call(onOpenSettings);
}

void PermissionGuideModel::relaunch() const {
    call(onRelaunch);
}

void PermissionGuideModel::close() const {
    call(onClose);
}

PermissionGuideModel::Status PermissionGuideModel::status(std::optional<bool> trusted) {
    if (trusted == true) {
        return {"checkmark.circle.fill", AppColor::successText, PermissionGuideText::grantedButStuck()};
    }
    return {"circle.dotted", AppColor::secondaryText, PermissionGuideText::waiting()};
}

} // namespace pellacor::app
