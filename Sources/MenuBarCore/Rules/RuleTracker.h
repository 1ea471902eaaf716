#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Support/JsonCodingFwd.h"
#include "MenuBarCore/Support/Uuid.h"

#include <optional>
#include <ostream>
#include <unordered_set>

namespace pellacor::core {

// What the automatic rules have done so far: which rule is in force, which
// profile to give back when no rule applies any more, and whether the user
// chose a profile by hand while the rule was in force (which that same rule
// then respects).
class RuleTracker {
public:
    // What `evaluate` asks the caller to do with the active profile.
    class Action {
    public:
        enum class Kind { switchTo, none };

        static Action switchTo(Uuid profileID) { return Action(Kind::switchTo, profileID); }
        static Action none() { return Action(Kind::none, Uuid()); }

        Kind kind() const { return kind_; }
        // The profile to make active; meaningful for `switchTo` only.
        const Uuid& profileID() const { return profileID_; }

        bool operator==(const Action&) const = default;

    private:
        Action(Kind kind, Uuid profileID) : kind_(kind), profileID_(profileID) {}
        Kind kind_;
        Uuid profileID_;
    };

    // The fresh tracker: no rule in force, no base, not overridden.
    RuleTracker() = default;
    RuleTracker(std::optional<Uuid> activeRuleID, std::optional<Uuid> baseProfileID, bool overridden)
        : activeRuleID_(activeRuleID), baseProfileID_(baseProfileID), overridden_(overridden) {}

    const std::optional<Uuid>& activeRuleID() const { return activeRuleID_; }
    const std::optional<Uuid>& baseProfileID() const { return baseProfileID_; }
    bool overridden() const { return overridden_; }

    // A rule is in force and the user has not overridden it.
    bool isApplying() const { return activeRuleID_.has_value() && !overridden_; }

    // Takes in this evaluation's winning rule and says whether the active
    // profile (`current`, absent only when there are no profiles) must change.
    Action evaluate(const std::optional<AppRule>& winner, const std::optional<Uuid>& current,
                    const std::unordered_set<Uuid>& profileIDs);
    // The user chose a profile by hand.
    void userSwitched();
    // A profile was deleted; a base that pointed at it moves to `fallback`.
    void profileRemoved(const Uuid& removed, const std::optional<Uuid>& fallback);

    bool operator==(const RuleTracker&) const = default;

private:
    std::optional<Uuid> activeRuleID_;
    std::optional<Uuid> baseProfileID_;
    bool overridden_ = false;
};

// An object with "activeRuleID" and "baseProfileID" (each written only when
// present) and "overridden" (always). Decoding never fails: a value that is not
// an object, or a member that is missing, null, of the wrong type or not a
// valid UUID, gives that field its default, so a damaged tracker costs only the
// rules' memory and never the whole document.
template <> struct JsonCoding<RuleTracker> {
    static Json encode(const RuleTracker& tracker);
    static DecodeResult<RuleTracker> decode(const Json& json, const CodingPath& path);
};

// For readable test failures.
std::ostream& operator<<(std::ostream& out, const RuleTracker& tracker);
std::ostream& operator<<(std::ostream& out, const RuleTracker::Action& action);

} // namespace pellacor::core
