#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Rules/RuleTracker.h"
#include "MenuBarCore/Support/JsonCodingFwd.h"
#include "MenuBarCore/Support/Uuid.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pellacor::core {

// Everything the user configures that outlives a launch, kept as one document.
struct StoredState {
    // The document layout this program writes and reads.
    static constexpr std::int64_t currentVersion = 1;

    StoredState(std::int64_t version, std::vector<Profile> profiles, std::vector<AppRule> rules,
                std::optional<Uuid> activeProfileID = std::nullopt,
                std::optional<RuleTracker> ruleTracker = std::nullopt)
        : version(version), profiles(std::move(profiles)), rules(std::move(rules)),
          activeProfileID(activeProfileID), ruleTracker(ruleTracker) {}

    std::int64_t version;
    // In menu order; the first is the fallback active profile.
    std::vector<Profile> profiles;
    // Highest priority first.
    std::vector<AppRule> rules;
    std::optional<Uuid> activeProfileID;
    // Absent means a fresh tracker.
    std::optional<RuleTracker> ruleTracker;

    // A fresh document: one new profile named by the localized "ふだん", new
    // applications hidden, active, no rules, no tracker.
    static StoredState initial();

    // The profile with `activeProfileID`, else the first profile; absent only
    // when there are no profiles.
    std::optional<Profile> activeProfile() const;
    // Stores an edited profile in place (or appends it when its id is new) and
    // makes it the active one.
    void replaceActive(const Profile& profile);

    // The profile book: every edit of profiles and rules. Each edit either
    // changes the document and reports it (true, or the new value), or refuses
    // (false, or nothing) and leaves the document as it was, so the result is
    // the one signal that the document needs saving.

    // The greatest length of a profile name, in user-perceived characters.
    static constexpr std::size_t profileNameLimit = 40;

    // A typed name made fit to store: control and format characters dropped,
    // every newline and tab turned into one space, white space trimmed from
    // both ends. Nothing when that leaves no text or more than
    // `profileNameLimit` characters.
    static std::optional<std::string> normalizedProfileName(std::string_view raw);
    // The same text made one line, whatever its length: empty when nothing is
    // left. What `normalizedProfileName` checks against the limit, so a form
    // can tell a name too long once made one line from one with nothing in it.
    static std::string normalizedProfileText(std::string_view raw);
    // Whether a profile other than `except` already goes by the name, stored or
    // shown, ignoring letter case and character width (accents count). The name
    // is compared as given.
    bool isProfileNameTaken(std::string_view name, const std::optional<Uuid>& except = std::nullopt) const;
    // A free name for a new profile: the normalized base (the localized
    // "プロファイル" when it normalizes to nothing), else the first free one of
    // it cut to fit and followed by " 2", " 3", ...
    std::string uniqueProfileName(std::string_view base) const;

    // The profile an outside command means by `name` (normalized first): the
    // first whose stored name matches, else the first whose shown name does,
    // ignoring letter case and character width. Nothing when none does.
    std::optional<Uuid> profileID(std::string_view name) const;

    // The id of the profile in use: a stale `activeProfileID` reads as the
    // first profile's. Nothing only when there are no profiles.
    std::optional<Uuid> activeProfileIDResolved() const;

    // Makes the profile active; true when the profile in use changed. An id no
    // profile has is refused.
    bool switchProfile(const Uuid& profileID);
    // A new profile under the normalized name, copying the layout in use, made
    // active. Refused for a name that normalizes to nothing or is taken.
    std::optional<Profile> addProfile(std::string_view name);
    // Refused for an unknown id, a name that normalizes to nothing or is taken
    // by another profile, or the profile's own current name.
    bool renameProfile(const Uuid& profileID, std::string_view name);
    // Removes the profile with its rules, and points the tracker's base and the
    // active id at the first remaining profile where they pointed at it. The
    // last profile cannot be removed.
    bool removeProfile(const Uuid& profileID);

    // Appends a rule (lowest priority) for the trimmed bundle identifier.
    // Refused for an empty identifier, an unknown profile, or an identifier and
    // condition that another rule has already.
    std::optional<AppRule> addRule(std::string_view app, AppRule::Condition condition, const Uuid& profileID);
    // Changes what is given, in place. Refused for an unknown rule, no change,
    // an unknown profile, or an identifier and condition another rule has.
    bool updateRule(const Uuid& ruleID, const std::optional<AppRule::Condition>& condition,
                    const std::optional<Uuid>& profileID);
    bool removeRule(const Uuid& ruleID);
    // Raises the rule's priority by one place; refused for the first rule.
    bool moveRuleUp(const Uuid& ruleID);

    // One automatic evaluation of the rules: may switch the active profile and
    // updates the stored tracker. True when either changed.
    bool applyRules(const std::unordered_set<std::string>& running,
                    const std::optional<std::string>& frontmost);
    // The user chose a profile by hand: a rule in force stands overridden.
    void noteUserSwitch();

    bool operator==(const StoredState&) const = default;
};

// The document: "version", "profiles" and "rules" required; "activeProfileID"
// and "ruleTracker" optional (missing or null read as absent) and written only
// when present. Any fault inside a profile or a rule fails the whole document.
template <> struct JsonCoding<StoredState> {
    static Json encode(const StoredState& state);
    static DecodeResult<StoredState> decode(const Json& json, const CodingPath& path);
};

namespace detail {
// The document's "version" rule: a JSON number written as an integer that fits
// 64 bits. 1.0, 1e0 and "1" are not versions.
std::optional<std::int64_t> documentVersion(const Json& value);
} // namespace detail

} // namespace pellacor::core
