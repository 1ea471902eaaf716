#include "MenuBarSystem/Login/LoginItem.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace pellacor::system {

namespace {

// A code beyond 32 bits keeps its sign rather than wrapping, so that a refusal
// never turns into code 0.
std::int32_t saturated(std::int64_t code) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(code, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace

LoginItem::LoginItem(std::shared_ptr<platform::LoginItemService> service) : service_(std::move(service)) {}

LoginItemStatus LoginItem::statusFrom(platform::LoginItemService::Status status) {
    using Raw = platform::LoginItemService::Status;
    switch (status) {
    case Raw::notRegistered:
        return LoginItemStatus::notRegistered;
    case Raw::enabled:
        return LoginItemStatus::enabled;
    case Raw::requiresApproval:
        return LoginItemStatus::requiresApproval;
    case Raw::notFound:
        return LoginItemStatus::notFound;
    }
    return LoginItemStatus::notRegistered;
}

LoginItemStatus LoginItem::status() const {
    return statusFrom(service_->mainAppStatus());
}

SystemResult<LoginItemStatus> LoginItem::setEnabled(bool on) {
    const auto error = on ? service_->registerMainApp() : service_->unregisterMainApp();
    if (error) {
        return SystemResult<LoginItemStatus>::unavailable(
            UnavailableReason::systemError(saturated(error->code)));
    }
    return SystemResult<LoginItemStatus>::ok(status());
}

void LoginItem::openSystemSettings() {
    service_->openSystemSettingsLoginItems();
}

} // namespace pellacor::system
