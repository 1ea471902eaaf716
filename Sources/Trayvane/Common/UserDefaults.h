#pragma once

#include "Platform/FileManager.h"
#include "Platform/PreferencesDomain.h"
#include "Platform/PropertyListValue.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::app {

// The program's own user defaults: the preference domain of its bundle
// identifier, which the platform keeps in the property-list file
// "Library/Preferences/<bundle identifier>.plist" of the home folder. A small
// value, cheap to copy; every copy reads and writes the same domain.
//
// Reads are typed: a value of another type than the one asked for reads as
// absent, so the caller's default applies. `number` takes an integer as well
// as a real; `boolValue` and `string` take only a Boolean and a text.
//
// `boolean` alone converts, for the switches whose stored value may have been
// written by hand:
//   - a Boolean is itself;
//   - an integer or a real is true when it is not zero (a NaN is false);
//   - a text is true when, trimmed of white space at both ends, it is "yes" or
//     "true" in any letter case, or a decimal number other than zero ("1",
//     "-2", "+0.5"); every other text ("no", "0", "on", "") is false;
//   - every other kind, and an absent key, is false.
//
// Every write is stored in the file at once. When storing fails the write is
// dropped: reads go on seeing what the file holds, and the file is untouched.
// A value no property-list file can hold (text that is not UTF-8) is refused
// and changes nothing.
// May be used from any thread (the domain serialises its calls).
class UserDefaults {
public:
    UserDefaults(std::shared_ptr<platform::PreferencesDomain> preferences, std::filesystem::path file);

    // The domain of the program's bundle identifier in the home folder the file manager gives.
    static UserDefaults standard(std::shared_ptr<platform::PreferencesDomain> preferences,
                                 const platform::FileManager& fileManager);
    // Another application's domain, as a suite of that name reads it.
    static UserDefaults suite(std::shared_ptr<platform::PreferencesDomain> preferences,
                              const platform::FileManager& fileManager, std::string_view name);
    // The global domain, whose keys every application sees.
    static UserDefaults global(std::shared_ptr<platform::PreferencesDomain> preferences,
                               const platform::FileManager& fileManager);
    // A domain's values for the current user on this computer only.
    static UserDefaults currentHost(std::shared_ptr<platform::PreferencesDomain> preferences,
                                    const platform::FileManager& fileManager, std::string_view name);
    // "<home>/Library/Preferences/<bundleID>.plist".
    static std::filesystem::path domainFile(const std::filesystem::path& home, std::string_view bundleID);
    // "<home>/Library/Preferences/.GlobalPreferences.plist".
    static std::filesystem::path globalDomainFile(const std::filesystem::path& home);
    // "<home>/Library/Preferences/ByHost/<name>.plist": one computer is all there is here.
    static std::filesystem::path currentHostFile(const std::filesystem::path& home, std::string_view name);

    const std::filesystem::path& file() const { return file_; }

    // The stored value as it is; nothing when absent or the file cannot be read.
    std::optional<platform::PropertyListValue> object(const std::string& key) const;
    std::optional<std::string> string(const std::string& key) const;
    std::optional<bool> boolValue(const std::string& key) const;
    std::optional<double> number(const std::string& key) const;
    // The converting Bool accessor described above.
    bool boolean(const std::string& key) const;

    // True when the file now holds the value (or no longer holds the key).
    bool set(const std::string& key, const platform::PropertyListValue& value);
    bool setBool(const std::string& key, bool value);
    bool setString(const std::string& key, const std::string& value);
    bool setNumber(const std::string& key, double value);
    bool remove(const std::string& key);

    // What `boolean` makes of a stored value.
    static bool booleanOf(const platform::PropertyListValue& value);

private:
    bool store(const std::string& key, std::optional<platform::PropertyListValue> value);

    std::shared_ptr<platform::PreferencesDomain> preferences_;
    std::filesystem::path file_;
};

} // namespace pellacor::app
