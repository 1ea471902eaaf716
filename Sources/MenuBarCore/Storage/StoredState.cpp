#include "MenuBarCore/Storage/StoredState.h"

#include "MenuBarCore/Support/JsonCoding.h"
#include "MenuBarCore/Support/Localized.h"

#include <limits>

namespace pellacor::core {

StoredState StoredState::initial() {
    Profile profile(Uuid::random(), localized("ふだん"), {}, {}, Section::hidden);
    auto id = profile.id();
    return StoredState{currentVersion, {std::move(profile)}, {}, id, std::nullopt};
}

std::optional<Profile> StoredState::activeProfile() const {
    if (activeProfileID) {
        for (const auto& profile : profiles) {
            if (profile.id() == *activeProfileID) {
                return profile;
            }
        }
    }
    if (profiles.empty()) {
        return std::nullopt;
    }
    return profiles.front();
}

void StoredState::replaceActive(const Profile& profile) {
    bool replaced = false;
    for (auto& existing : profiles) {
        if (existing.id() == profile.id()) {
            existing = profile;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        profiles.push_back(profile);
    }
    activeProfileID = profile.id();
}

namespace detail {

std::optional<std::int64_t> documentVersion(const Json& value) {
    if (value.is_number_unsigned()) {
        auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    return std::nullopt;
}

} // namespace detail

Json JsonCoding<StoredState>::encode(const StoredState& state) {
    Json json = Json::object();
    json["version"] = state.version;
    json["profiles"] = encodeJson(state.profiles);
    json["rules"] = encodeJson(state.rules);
    if (state.activeProfileID) {
        json["activeProfileID"] = encodeJson(*state.activeProfileID);
    }
    if (state.ruleTracker) {
        json["ruleTracker"] = encodeJson(*state.ruleTracker);
    }
    return json;
}

DecodeResult<StoredState> JsonCoding<StoredState>::decode(const Json& json, const CodingPath& path) {
    if (auto error = expectObject(json, path)) {
        return *error;
    }
    auto versionMember = json.find("version");
    if (versionMember == json.end()) {
        return DecodeError{DecodeError::Kind::keyNotFound, path.member("version").text(),
                           "no member \"version\""};
    }
    auto version = detail::documentVersion(*versionMember);
    if (!version) {
        return versionMember->is_number()
                   ? dataCorrupted("the version is not a whole number written as one", path.member("version"))
                   : typeMismatch(*versionMember, "a number", path.member("version"));
    }
    auto profiles = decodeMember<std::vector<Profile>>(json, "profiles", path);
    if (!profiles) {
        return profiles.error();
    }
    auto rules = decodeMember<std::vector<AppRule>>(json, "rules", path);
    if (!rules) {
        return rules.error();
    }
    auto activeProfileID = decodeOptionalMember<Uuid>(json, "activeProfileID", path);
    if (!activeProfileID) {
        return activeProfileID.error();
    }
    // The tracker is only the rules' memory: when it is present but damaged, or
    // not even an object, it reads as a fresh tracker instead of costing the
    // user the whole document. It is then present (fresh), not absent; only a
    // missing member or null reads as absent.
    std::optional<RuleTracker> ruleTracker;
    if (auto tracker = json.find("ruleTracker"); tracker != json.end() && !tracker->is_null()) {
        ruleTracker = decodeJson<RuleTracker>(*tracker, path.member("ruleTracker")).value();
    }
    return StoredState{*version, std::move(profiles).value(), std::move(rules).value(), *activeProfileID,
                       ruleTracker};
}

} // namespace pellacor::core
