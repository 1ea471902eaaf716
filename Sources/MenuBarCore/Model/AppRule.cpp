#include "MenuBarCore/Model/AppRule.h"

#include "MenuBarCore/Support/JsonCoding.h"
#include "MenuBarCore/Support/Localized.h"

namespace pellacor::core {

AppRule::AppRule(Uuid id, std::string appBundleID, Condition condition, Uuid profileID)
    : appBundleID(std::move(appBundleID)), condition(condition), profileID(profileID), id_(id) {}

std::optional<AppRule::Condition> AppRule::conditionFromRawValue(std::string_view text) {
    for (auto condition : {Condition::running, Condition::frontmost}) {
        if (rawValue(condition) == text) {
            return condition;
        }
    }
    return std::nullopt;
}

std::string_view rawValue(AppRule::Condition condition) {
    switch (condition) {
    case AppRule::Condition::running:
        return "running";
    case AppRule::Condition::frontmost:
        return "frontmost";
    }
    return "running";
}

std::string title(AppRule::Condition condition) {
    return localized(condition == AppRule::Condition::frontmost ? "前面にある間" : "動いている間");
}

std::string phrase(AppRule::Condition condition) {
    return localized(condition == AppRule::Condition::frontmost ? "前面にある" : "動いている");
}

std::string toString(AppRule::Condition condition) {
    return std::string(rawValue(condition));
}

Json JsonCoding<AppRule::Condition>::encode(AppRule::Condition condition) {
    return std::string(rawValue(condition));
}

DecodeResult<AppRule::Condition> JsonCoding<AppRule::Condition>::decode(const Json& json,
                                                                        const CodingPath& path) {
    auto text = decodeJson<std::string>(json, path);
    if (!text) {
        return text.error();
    }
    if (auto condition = AppRule::conditionFromRawValue(*text)) {
        return *condition;
    }
    return dataCorrupted("cannot initialize Condition from invalid String value \"" + *text + "\"", path);
}

Json JsonCoding<AppRule>::encode(const AppRule& rule) {
    return Json{
        {"id", encodeJson(rule.id())},
        {"appBundleID", rule.appBundleID},
        {"condition", encodeJson(rule.condition)},
        {"profileID", encodeJson(rule.profileID)},
    };
}

DecodeResult<AppRule> JsonCoding<AppRule>::decode(const Json& json, const CodingPath& path) {
    if (auto error = expectObject(json, path)) {
        return *error;
    }
    auto id = decodeMember<Uuid>(json, "id", path);
    if (!id) {
        return id.error();
    }
    auto appBundleID = decodeMember<std::string>(json, "appBundleID", path);
    if (!appBundleID) {
        return appBundleID.error();
    }
    auto condition = decodeMember<AppRule::Condition>(json, "condition", path);
    if (!condition) {
        return condition.error();
    }
    auto profileID = decodeMember<Uuid>(json, "profileID", path);
    if (!profileID) {
        return profileID.error();
    }
    return AppRule(*id, std::move(appBundleID).value(), *condition, *profileID);
}

} // namespace pellacor::core
