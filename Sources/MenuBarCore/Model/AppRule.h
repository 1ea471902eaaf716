#pragma once

#include "MenuBarCore/Support/JsonCodingFwd.h"
#include "MenuBarCore/Support/Uuid.h"

#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// When an application is running (or frontmost), use a profile. The position of
// a rule in its list is its priority.
class AppRule {
public:
    enum class Condition {
        running,   // the application is running
        frontmost, // the application is the frontmost application
    };

    // Exactly "running" and "frontmost"; anything else is nothing.
    static std::optional<Condition> conditionFromRawValue(std::string_view text);

    AppRule(Uuid id, std::string appBundleID, Condition condition, Uuid profileID);

    const Uuid& id() const { return id_; }

    // The watched application, as a plain bundle identifier.
    std::string appBundleID;
    Condition condition;
    // The profile the rule makes active.
    Uuid profileID;

    bool operator==(const AppRule&) const = default;

private:
    Uuid id_;
};

// "running", "frontmost".
std::string_view rawValue(AppRule::Condition condition);
// For logs: the raw value.
std::string toString(AppRule::Condition condition);
// Every condition in the order the menus and lists offer them: running first.
inline constexpr AppRule::Condition allConditions[] = {AppRule::Condition::running,
                                                       AppRule::Condition::frontmost};
// The condition's name in menus and messages ("動いている間"), localized now.
std::string title(AppRule::Condition condition);
// The verb phrase a sentence about a rule in force uses ("動いている"),
// localized now.
std::string phrase(AppRule::Condition condition);

template <> struct JsonCoding<AppRule::Condition> {
    static Json encode(AppRule::Condition condition);
    static DecodeResult<AppRule::Condition> decode(const Json& json, const CodingPath& path);
};

// The four members "id", "appBundleID", "condition", "profileID", all required.
template <> struct JsonCoding<AppRule> {
    static Json encode(const AppRule& rule);
    static DecodeResult<AppRule> decode(const Json& json, const CodingPath& path);
};

} // namespace pellacor::core
