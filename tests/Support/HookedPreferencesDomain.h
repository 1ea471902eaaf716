#pragma once

#include "Platform/PreferencesDomain.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::testing {

// Passes every call on to another preferences domain, with faults a test can
// switch on: synchronising fails (nothing is stored), or a value set is
// changed on its way, as a system that normalises what it stores would.
class HookedPreferencesDomain final : public platform::PreferencesDomain {
public:
    explicit HookedPreferencesDomain(std::shared_ptr<platform::PreferencesDomain> inner)
        : inner_(std::move(inner)) {}

    bool failSynchronize = false;
    std::function<platform::PropertyListValue(platform::PropertyListValue)> transformSet;

    std::optional<platform::PropertyListValue> copyValue(const std::string& key,
                                                         const std::string& domain) override {
        return inner_->copyValue(key, domain);
    }
    void setValue(const std::string& key, std::optional<platform::PropertyListValue> value,
                  const std::string& domain) override {
        if (value && transformSet) {
            value = transformSet(std::move(*value));
        }
        inner_->setValue(key, std::move(value), domain);
    }
    bool synchronize(const std::string& domain) override {
        return failSynchronize ? false : inner_->synchronize(domain);
    }

private:
    std::shared_ptr<platform::PreferencesDomain> inner_;
};

} // namespace pellacor::testing
