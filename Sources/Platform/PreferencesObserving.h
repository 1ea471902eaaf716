#pragma once

#include <functional>
#include <memory>
#include <string>

namespace pellacor::platform {

// Key-value observation of preference values: a handler hears of every change
// of the value under one key of one domain (a domain is named as
// PreferencesDomain names it), whoever made it. Thread-safe.
class PreferencesObserving {
public:
    // An observation; it ends when invalidated or destroyed. Once `invalidate`
    // has returned, its handler is not called again.
    class Observation {
    public:
        virtual ~Observation() = default;
        virtual void invalidate() = 0;
    };
    // Called with the key path that changed, on any thread.
    using Handler = std::function<void(const std::string& keyPath)>;

    virtual ~PreferencesObserving() = default;

    // Observes `key` in `domain` with the new-value option: no call for the
    // value it has now, one call after each change of it.
    virtual std::unique_ptr<Observation> observeValue(const std::string& key, const std::string& domain,
                                                      Handler onChange) = 0;

protected:
    PreferencesObserving() = default;
    PreferencesObserving(const PreferencesObserving&) = default;
    PreferencesObserving& operator=(const PreferencesObserving&) = default;
};

} // namespace pellacor::platform
