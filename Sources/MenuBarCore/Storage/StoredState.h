#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <vector>

#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Rules/RuleTracker.h"
#include "MenuBarCore/Support/Uuid.h"

namespace pellacor::core {

// Everything the user configures that outlives a launch, kept as one document.
struct StoredState {
    // The document layout this program writes and reads.
    static constexpr std::int64_t currentVersion = 1;

    std::int64_t version = currentVersion;
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

    nlohmann::json toJson() const;

    bool operator==(const StoredState&) const = default;
};

} // namespace pellacor::core
