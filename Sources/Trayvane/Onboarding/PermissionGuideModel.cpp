#include "Trayvane/Onboarding/PermissionGuideModel.h"

#include "Trayvane/Onboarding/PermissionGuideText.h"
#include "Trayvane/Theme/AppColor.h"

#include <vector>

namespace pellacor::app {

namespace {

void call(const std::function<void()>& callback) {
    if (callback) {
        callback();
    }
}

} // namespace

void PermissionGuideModel::setTrusted(std::optional<bool> trusted) {
    if (trusted == trusted_) {
        return;
    }
    trusted_ = trusted;
    // An observer may come or go while the others hear of it.
    std::vector<std::function<void()>> observers;
    observers.reserve(observers_.size());
    for (const auto& [id, observer] : observers_) {
        observers.push_back(observer);
    }
    for (const auto& observer : observers) {
        call(observer);
    }
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

PermissionGuideModel::ObserverId PermissionGuideModel::observe(std::function<void()> onChange) {
    const ObserverId id = nextObserver_++;
    observers_.emplace(id, std::move(onChange));
    return id;
}

void PermissionGuideModel::removeObserver(ObserverId id) {
    observers_.erase(id);
}

} // namespace pellacor::app
