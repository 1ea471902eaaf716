#include "Trayvane/StatusItem/UserSwitcherStyleObserver.h"

namespace pellacor::app {

UserSwitcherStyleObserver::UserSwitcherStyleObserver(
    const std::shared_ptr<platform::PreferencesObserving>& defaults, const std::string& domain,
    concurrency::MainExecutor& executor, std::function<void()> onChange)
    : executor_(executor), relay_(std::make_shared<Relay>(Relay{std::move(onChange)})) {
    if (defaults) {
        // The handler runs on the system's thread and may still be running
        // while the observer goes, so it holds the executor and the relay
        // weakly, never the observer.
        observation_ =
            defaults->observeValue(std::string(keyPath), domain,
                                   [&executor, weak = std::weak_ptr<Relay>(relay_)](
                                       const std::string& changed) { forward(executor, weak, changed); });
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
    forward(executor_, relay_, changedKeyPath);
}

void UserSwitcherStyleObserver::forward(concurrency::MainExecutor& executor, std::weak_ptr<Relay> weak,
                                        const std::optional<std::string>& changedKeyPath) {
    if (changedKeyPath != keyPath) {
        return;
    }
    executor.postFromAnyThread([weak = std::move(weak)] {
        if (const auto relay = weak.lock(); relay && relay->onChange) {
            relay->onChange();
        }
    });
}

} // namespace pellacor::app
