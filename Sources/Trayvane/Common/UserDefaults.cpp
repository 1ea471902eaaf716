#include "Trayvane/Common/UserDefaults.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <cmath>

namespace pellacor::app {

using platform::PropertyListValue;

namespace {

std::string asciiLowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

// An optional sign, then digits with at most one decimal point among them, at
// least one digit in all; true when one of the digits is not zero.
bool isNonZeroDecimal(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    bool sawDigit = false;
    bool sawPoint = false;
    bool nonZero = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            sawDigit = true;
            nonZero = nonZero || c != '0';
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            return false;
        }
    }
    return sawDigit && nonZero;
}

} // namespace

UserDefaults::UserDefaults(std::shared_ptr<platform::PreferencesDomain> preferences,
                           std::filesystem::path file)
    : preferences_(std::move(preferences)), file_(std::move(file)) {}

UserDefaults UserDefaults::standard(std::shared_ptr<platform::PreferencesDomain> preferences,
                                    const platform::FileManager& fileManager) {
    return UserDefaults(std::move(preferences),
                        domainFile(fileManager.homeDirectory(), core::bundleIdentifier));
}

UserDefaults UserDefaults::suite(std::shared_ptr<platform::PreferencesDomain> preferences,
                                 const platform::FileManager& fileManager, std::string_view name) {
    return UserDefaults(std::move(preferences), domainFile(fileManager.homeDirectory(), name));
}

UserDefaults UserDefaults::global(std::shared_ptr<platform::PreferencesDomain> preferences,
                                  const platform::FileManager& fileManager) {
    return UserDefaults(std::move(preferences), globalDomainFile(fileManager.homeDirectory()));
}

UserDefaults UserDefaults::currentHost(std::shared_ptr<platform::PreferencesDomain> preferences,
                                       const platform::FileManager& fileManager, std::string_view name) {
    return UserDefaults(std::move(preferences), currentHostFile(fileManager.homeDirectory(), name));
}

std::filesystem::path UserDefaults::domainFile(const std::filesystem::path& home, std::string_view bundleID) {
    return home / "Library/Preferences" / (std::string(bundleID) + ".plist");
}

std::filesystem::path UserDefaults::globalDomainFile(const std::filesystem::path& home) {
    return home / "Library/Preferences/.GlobalPreferences.plist";
}

std::filesystem::path UserDefaults::currentHostFile(const std::filesystem::path& home,
                                                    std::string_view name) {
    return home / "Library/Preferences/ByHost" / (std::string(name) + ".plist");
}

std::optional<PropertyListValue> UserDefaults::object(const std::string& key) const {
    return preferences_->copyValue(key, file_.string());
}

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    const auto value = object(key);
    if (const std::string* text = value ? value->stringValue() : nullptr) {
        return *text;
    }
    return std::nullopt;
}

std::optional<bool> UserDefaults::boolValue(const std::string& key) const {
    const auto value = object(key);
    return value ? value->booleanValue() : std::nullopt;
}

std::optional<double> UserDefaults::number(const std::string& key) const {
    const auto value = object(key);
    if (!value) {
        return std::nullopt;
    }
    if (auto real = value->realValue()) {
        return real;
    }
    if (auto integer = value->integerValue()) {
        return static_cast<double>(*integer);
    }
    return std::nullopt;
}

bool UserDefaults::boolean(const std::string& key) const {
    const auto value = object(key);
    return value && booleanOf(*value);
}

bool UserDefaults::booleanOf(const PropertyListValue& value) {
    if (auto flag = value.booleanValue()) {
        return *flag;
    }
    if (auto integer = value.integerValue()) {
        return *integer != 0;
    }
    if (auto real = value.realValue()) {
        return !std::isnan(*real) && *real != 0;
    }
    if (const std::string* text = value.stringValue()) {
        const std::string trimmed = asciiLowercase(core::Text::trimmed(*text));
        return trimmed == "yes" || trimmed == "true" || isNonZeroDecimal(trimmed);
    }
    return false;
}

bool UserDefaults::set(const std::string& key, const PropertyListValue& value) {
    return store(key, value);
}

bool UserDefaults::setBool(const std::string& key, bool value) {
    return store(key, PropertyListValue::boolean(value));
}

bool UserDefaults::setString(const std::string& key, const std::string& value) {
    return store(key, PropertyListValue(value));
}

bool UserDefaults::setNumber(const std::string& key, double value) {
    return store(key, PropertyListValue::real(value));
}

bool UserDefaults::remove(const std::string& key) {
    return store(key, std::nullopt);
}

bool UserDefaults::store(const std::string& key, std::optional<PropertyListValue> value) {
    // A value the file cannot hold would stay pending for ever and take every
    // later write down with it, so it is refused before it reaches the domain.
    if (value && !value->isStorable()) {
        core::Log::app().error("{} に {} を書けません（ファイルに入らない値）", file_.string(), key);
        return false;
    }
    preferences_->setValue(key, std::move(value), file_.string());
    if (!preferences_->synchronize(file_.string())) {
        // Callers go on with the value in effect for this run; the log keeps
        // a record that the next launch will not see it.
        core::Log::app().error("{} に {} を書けません", file_.string(), key);
        return false;
    }
    return true;
}

} // namespace pellacor::app
