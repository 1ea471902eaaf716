#pragma once

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Rules/RuleTracker.h"
#include "MenuBarCore/Support/JsonCoding.h"
#include "MenuBarCore/Support/Uuid.h"

#include <cstdint>
#include <optional>
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
