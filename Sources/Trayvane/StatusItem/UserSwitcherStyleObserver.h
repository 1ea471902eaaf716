#pragma once

#include "Concurrency/MainExecutor.h"
#include "Platform/PreferencesObserving.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::app {

// Watches the system's setting of how the user-switching item is drawn and
// tells of each change on the main executor. It watches for as long as it
// exists. Create and destroy it on the main thread.
class UserSwitcherStyleObserver {
public:
    static constexpr std::string_view keyPath = "userMenuExtraStyle";

    // Observes `keyPath` of `domain` through `defaults`; `onChange` runs on
    // `executor` after each change.
    UserSwitcherStyleObserver(const std::shared_ptr<platform::PreferencesObserving>& defaults,
                              const std::string& domain, concurrency::MainExecutor& executor,
                              std::function<void()> onChange);
    ~UserSwitcherStyleObserver();
    UserSwitcherStyleObserver(const UserSwitcherStyleObserver&) = delete;
    UserSwitcherStyleObserver& operator=(const UserSwitcherStyleObserver&) = delete;

    // A notification of the observation, on any thread: a change of exactly
    // `keyPath` hands the work to the main executor; any other key path (or
    // none) is ignored.
    void observeValue(const std::optional<std::string>& changedKeyPath);

private:
    // What a job on its way to the executor reaches; gone with the observer.
    struct Relay {
        std::function<void()> onChange;
    };
    // Hands a change of `keyPath` to the executor, for the relay if it is still there.
    static void forward(concurrency::MainExecutor& executor, std::weak_ptr<Relay> weak,
                        const std::optional<std::string>& changedKeyPath);

    concurrency::MainExecutor& executor_;
    std::shared_ptr<Relay> relay_;
    std::unique_ptr<platform::PreferencesObserving::Observation> observation_;
};

} // namespace pellacor::app
