#include "Trayvane/StatusItem/UserSwitcherStyleObserver.h"

namespace pellacor::app {

UserSwitcherStyleObserver::UserSwitcherStyleObserver(
    const std::shared_ptr<platform::PreferencesObserving>& defaults, const std::string& domain,
    concurrency::MainExecutor& executor, std::function<void()> onChange)
    : executor_(executor), relay_(std::make_shared<Relay>(Relay{std::move(onChange)})) {
    if (defaults) {
        observation_ = defaults->observeValue(std::string(keyPath), domain,
                                              [this](const std::string& changed) { observeValue(changed); });
    }
}

UserSwitcherStyleObserver::~UserSwitcherStyleObserver() {
    // After this no notification reaches the observer, and jobs already on
    // their way find the relay gone.
    if (observation_) {
        observation_->invalidate();
    }
}

void UserSwitcherStyleObserver::observeValue(const std::optional<std::string>& changedKeyPath) {
    if (changedKeyPath != keyPath) {
        return;
    }
    executor_.postFromAnyThread([weak = std::weak_ptr<Relay>(relay_)] {
        if (const auto relay = weak.lock(); relay && relay->onChange) {
            relay->onChange();
        }
    });
}

} // namespace pellacor::app
