#include "Platform/Simulated/SimulatedLoginItemService.h"

namespace pellacor::platform {

SimulatedLoginItemService::SimulatedLoginItemService(Status status) : status_(status) {}

void SimulatedLoginItemService::setStatus(Status status) {
    std::lock_guard lock(mutex_);
    status_ = status;
}

void SimulatedLoginItemService::setRequiresApproval(bool required) {
    std::lock_guard lock(mutex_);
    requiresApproval_ = required;
}

void SimulatedLoginItemService::setRegisterError(std::optional<Error> error) {
    std::lock_guard lock(mutex_);
    registerError_ = error;
}

void SimulatedLoginItemService::setUnregisterError(std::optional<Error> error) {
    std::lock_guard lock(mutex_);
    unregisterError_ = error;
}

int SimulatedLoginItemService::registerCount() const {
    std::lock_guard lock(mutex_);
    return registers_;
}

int SimulatedLoginItemService::unregisterCount() const {
    std::lock_guard lock(mutex_);
    return unregisters_;
}

int SimulatedLoginItemService::settingsOpenCount() const {
    std::lock_guard lock(mutex_);
    return settingsOpens_;
}

LoginItemService::Status SimulatedLoginItemService::mainAppStatus() {
    std::lock_guard lock(mutex_);
    return status_;
}

std::optional<LoginItemService::Error> SimulatedLoginItemService::registerMainApp() {
    std::lock_guard lock(mutex_);
    ++registers_;
    if (registerError_) {
        return registerError_;
    }
    status_ = requiresApproval_ ? Status::requiresApproval : Status::enabled;
    return std::nullopt;
}

std::optional<LoginItemService::Error> SimulatedLoginItemService::unregisterMainApp() {
    std::lock_guard lock(mutex_);
    ++unregisters_;
    if (unregisterError_) {
        return unregisterError_;
    }
    status_ = Status::notRegistered;
    return std::nullopt;
}

void SimulatedLoginItemService::openSystemSettingsLoginItems() {
    std::lock_guard lock(mutex_);
    ++settingsOpens_;
}

} // namespace pellacor::platform
