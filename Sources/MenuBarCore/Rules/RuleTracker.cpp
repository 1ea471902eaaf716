#include "MenuBarCore/Rules/RuleTracker.h"

#include "MenuBarCore/Support/JsonCoding.h"

namespace pellacor::core {

namespace {

// A switch only to a profile that exists and is not already active; an absent
// current profile differs from every id.
RuleTracker::Action target(const std::optional<Uuid>& profile, const std::optional<Uuid>& current,
                           const std::unordered_set<Uuid>& profileIDs) {
    if (profile && profileIDs.contains(*profile) && profile != current) {
        return RuleTracker::Action::switchTo(*profile);
    }
    return RuleTracker::Action::none();
}

std::optional<Uuid> lenientUuid(const Json& object, const char* key) {
    auto member = object.find(key);
    if (member == object.end() || !member->is_string()) {
        return std::nullopt;
    }
    return Uuid::parse(member->get_ref<const std::string&>());
}

void printOptional(std::ostream& out, const std::optional<Uuid>& id) {
    out << (id ? id->uuidString() : std::string("nil"));
}

} // namespace

RuleTracker::Action RuleTracker::evaluate(const std::optional<AppRule>& winner,
                                          const std::optional<Uuid>& current,
                                          const std::unordered_set<Uuid>& profileIDs) {
    if (!winner) {
        if (!activeRuleID_) {
            return Action::none();
        }
        // The last rule stopped winning: start afresh, and give the user's own
        // profile back unless they had overridden the rule.
        bool restore = !overridden_;
        auto base = baseProfileID_;
        *this = RuleTracker();
        return restore ? target(base, current, profileIDs) : Action::none();
    }
    if (activeRuleID_ == winner->id()) {
        return overridden_ ? Action::none() : target(winner->profileID, current, profileIDs);
    }
    // The base is recorded only on the step from no rule to some rule, so that
    // a chain of rules ends on the profile the user had before the first one.
    if (!activeRuleID_) {
        baseProfileID_ = current;
    }
    activeRuleID_ = winner->id();
    overridden_ = false;
    return target(winner->profileID, current, profileIDs);
}

void RuleTracker::userSwitched() {
    if (activeRuleID_) {
        overridden_ = true;
    }
}

void RuleTracker::profileRemoved(const Uuid& removed, const std::optional<Uuid>& fallback) {
    if (baseProfileID_ == removed) {
        baseProfileID_ = fallback;
    }
}

Json JsonCoding<RuleTracker>::encode(const RuleTracker& tracker) {
    Json json = Json::object();
    if (tracker.activeRuleID()) {
        json["activeRuleID"] = encodeJson(*tracker.activeRuleID());
    }
    if (tracker.baseProfileID()) {
        json["baseProfileID"] = encodeJson(*tracker.baseProfileID());
    }
    json["overridden"] = tracker.overridden();
    return json;
}

DecodeResult<RuleTracker> JsonCoding<RuleTracker>::decode(const Json& json, const CodingPath&) {
    if (!json.is_object()) {
        return RuleTracker();
    }
    auto overridden = json.find("overridden");
    return RuleTracker(lenientUuid(json, "activeRuleID"), lenientUuid(json, "baseProfileID"),
                       overridden != json.end() && overridden->is_boolean() && overridden->get<bool>());
}

std::ostream& operator<<(std::ostream& out, const RuleTracker& tracker) {
    out << "RuleTracker(";
    printOptional(out, tracker.activeRuleID());
    out << ", ";
    printOptional(out, tracker.baseProfileID());
    return out << ", " << (tracker.overridden() ? "true" : "false") << ")";
}

std::ostream& operator<<(std::ostream& out, const RuleTracker::Action& action) {
    if (action.kind() == RuleTracker::Action::Kind::none) {
        return out << "none";
    }
    return out << "switchTo(" << action.profileID().uuidString() << ")";
}

} // namespace pellacor::core
