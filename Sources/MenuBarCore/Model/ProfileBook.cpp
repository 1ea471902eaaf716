// The profile book: the edits of profiles and rules on the state document.

#include "MenuBarCore/Rules/RuleEngine.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <fmt/format.h>
#include <iterator>

namespace pellacor::core {

namespace {

bool hasProfile(const std::vector<Profile>& profiles, const Uuid& id) {
    return std::any_of(profiles.begin(), profiles.end(), [&](const Profile& p) { return p.id() == id; });
}

std::vector<AppRule>::iterator findRule(std::vector<AppRule>& rules, const Uuid& id) {
    return std::find_if(rules.begin(), rules.end(), [&](const AppRule& r) { return r.id() == id; });
}

} // namespace

std::optional<std::string> StoredState::normalizedProfileName(std::string_view raw) {
    std::string name = normalizedProfileText(raw);
    if (name.empty() || Text::graphemeCount(name) > profileNameLimit) {
        return std::nullopt;
    }
    return name;
}

std::string StoredState::normalizedProfileText(std::string_view raw) {
    std::u32string kept;
    for (char32_t c : Text::codePoints(raw)) {
        const bool keptForSpacing = c == U'\t' || c == U'\n' || c == U'\r';
        const auto category = Text::generalCategory(c);
        if (!keptForSpacing && (category == Text::Category::control || category == Text::Category::format)) {
            continue;
        }
        // A name is one line: every line break and tab stands for one space,
        // so CR LF gives two.
        kept += (Text::isNewline(c) || c == U'\t') ? U' ' : c;
    }
    return Text::trimmed(Text::utf8(kept));
}

bool StoredState::isProfileNameTaken(std::string_view name, const std::optional<Uuid>& except) const {
    for (const auto& profile : profiles) {
        if (except && profile.id() == *except) {
            continue;
        }
        if (Text::sameIgnoringCaseAndWidth(profile.name, name) ||
            Text::sameIgnoringCaseAndWidth(profile.displayName(profiles), name)) {
            return true;
        }
    }
    return false;
}

std::string StoredState::uniqueProfileName(std::string_view base) const {
    std::string name = normalizedProfileName(base).value_or(localized("プロファイル"));
    if (!isProfileNameTaken(name)) {
        return name;
    }
    // Every candidate ends in a different number, so each profile (a stored
    // and a shown name) can block at most two of them: this ends.
    for (std::size_t n = 2;; ++n) {
        std::string suffix = fmt::format(" {}", n);
        std::string candidate = Text::graphemePrefix(name, profileNameLimit - suffix.size()) + suffix;
        if (!isProfileNameTaken(candidate)) {
            return candidate;
        }
    }
}

std::optional<Uuid> StoredState::activeProfileIDResolved() const {
    auto active = activeProfile();
    if (!active) {
        return std::nullopt;
    }
    return active->id();
}

bool StoredState::switchProfile(const Uuid& profileID) {
    if (!hasProfile(profiles, profileID)) {
        return false;
    }
    auto before = activeProfileIDResolved();
    // Stored even when it was in use already, which also replaces a stale id.
    activeProfileID = profileID;
    return before != profileID;
}

std::optional<Profile> StoredState::addProfile(std::string_view name) {
    auto normalized = normalizedProfileName(name);
    if (!normalized || isProfileNameTaken(*normalized)) {
        return std::nullopt;
    }
    // A new profile starts as a copy of the layout in use.
    auto source = activeProfile().value_or(Profile(Uuid(), {}, {}, {}, Section::hidden));
    Profile profile(Uuid::random(), std::move(*normalized), source.sections, source.order,
                    source.newItemSection);
    profiles.push_back(profile);
    activeProfileID = profile.id();
    return profile;
}

bool StoredState::renameProfile(const Uuid& profileID, std::string_view name) {
    auto profile =
        std::find_if(profiles.begin(), profiles.end(), [&](const Profile& p) { return p.id() == profileID; });
    if (profile == profiles.end()) {
        return false;
    }
    auto normalized = normalizedProfileName(name);
    // The profile itself is excepted, so that only its letter case can change.
    // "Unchanged" is judged in canonical form, as "taken" is: a name that only
    // differs in how its characters are composed is the same name.
    if (!normalized || isProfileNameTaken(*normalized, profileID) ||
        Text::canonicallyEqual(*normalized, profile->name)) {
        return false;
    }
    profile->name = std::move(*normalized);
    return true;
}

bool StoredState::removeProfile(const Uuid& profileID) {
    if (profiles.size() < 2) {
        return false;
    }
    auto profile =
        std::find_if(profiles.begin(), profiles.end(), [&](const Profile& p) { return p.id() == profileID; });
    if (profile == profiles.end()) {
        return false;
    }
    const bool wasActive = activeProfileIDResolved() == profileID;
    profiles.erase(profile);
    std::erase_if(rules, [&](const AppRule& rule) { return rule.profileID == profileID; });
    const Uuid fallback = profiles.front().id();
    if (ruleTracker) {
        ruleTracker->profileRemoved(profileID, fallback);
    }
    if (!wasActive && activeProfileID && hasProfile(profiles, *activeProfileID)) {
        return true;
    }
    // The active profile is gone, or the stored id was stale already.
    activeProfileID = fallback;
    return true;
}

std::optional<AppRule> StoredState::addRule(std::string_view app, AppRule::Condition condition,
                                            const Uuid& profileID) {
    std::string bundleID = Text::trimmed(app);
    if (bundleID.empty() || !hasProfile(profiles, profileID)) {
        return std::nullopt;
    }
    if (std::any_of(rules.begin(), rules.end(), [&](const AppRule& rule) {
            return rule.appBundleID == bundleID && rule.condition == condition;
        })) {
        return std::nullopt;
    }
    AppRule rule(Uuid::random(), std::move(bundleID), condition, profileID);
    rules.push_back(rule);
    return rule;
}

bool StoredState::updateRule(const Uuid& ruleID, const std::optional<AppRule::Condition>& condition,
                             const std::optional<Uuid>& profileID) {
    auto rule = findRule(rules, ruleID);
    if (rule == rules.end()) {
        return false;
    }
    AppRule updated = *rule;
    updated.condition = condition.value_or(rule->condition);
    updated.profileID = profileID.value_or(rule->profileID);
    if (updated == *rule || !hasProfile(profiles, updated.profileID)) {
        return false;
    }
    if (std::any_of(rules.begin(), rules.end(), [&](const AppRule& other) {
            return other.id() != ruleID && other.appBundleID == updated.appBundleID &&
                   other.condition == updated.condition;
        })) {
        return false;
    }
    *rule = std::move(updated);
    return true;
}

bool StoredState::removeRule(const Uuid& ruleID) {
    auto rule = findRule(rules, ruleID);
    if (rule == rules.end()) {
        return false;
    }
    rules.erase(rule);
    return true;
}

bool StoredState::moveRuleUp(const Uuid& ruleID) {
    auto rule = findRule(rules, ruleID);
    if (rule == rules.end() || rule == rules.begin()) {
        return false;
    }
    std::iter_swap(rule, std::prev(rule));
    return true;
}

bool StoredState::applyRules(const std::unordered_set<std::string>& running,
                             const std::optional<std::string>& frontmost) {
    std::unordered_set<Uuid> profileIDs;
    for (const auto& profile : profiles) {
        profileIDs.insert(profile.id());
    }
    auto winner = RuleEngine::winning(rules, running, frontmost, profileIDs);
    RuleTracker tracker = ruleTracker.value_or(RuleTracker());
    auto action = tracker.evaluate(winner, activeProfileIDResolved(), profileIDs);
    // The tracker only switches to a profile other than the one in use, so a
    // switch here always changes the document.
    const bool switched =
        action.kind() == RuleTracker::Action::Kind::switchTo && switchProfile(action.profileID());
    // A fresh tracker is not stored at all.
    std::optional<RuleTracker> toStore;
    if (tracker != RuleTracker()) {
        toStore = tracker;
    }
    if (toStore != ruleTracker) {
        ruleTracker = toStore;
        return true;
    }
    return switched;
}

void StoredState::noteUserSwitch() {
    if (ruleTracker) {
        ruleTracker->userSwitched();
    }
}

} // namespace pellacor::core
