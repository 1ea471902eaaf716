#include "MenuBarCore/Matching/IdentityMatcher.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace pellacor::core {

std::vector<AppKey> IdentityMatcher::newApps(const std::vector<ItemSnapshot>& snapshots,
                                             const std::set<AppKey>& knownApps) {
    std::vector<AppKey> apps;
    std::set<AppKey> seen;
    for (const auto& snapshot : snapshots) {
        if (snapshot.isApple()) {
            continue;
        }
        AppKey owner = snapshot.owner();
        if (knownApps.contains(owner) || !seen.insert(owner).second) {
            continue;
        }
        apps.push_back(std::move(owner));
    }
    return apps;
}

std::vector<IdentityName> IdentityMatcher::uniqueNames(const std::vector<ItemSnapshot>& snapshots) {
    std::vector<IdentityName> names;
    names.reserve(snapshots.size());
    std::unordered_map<IdentityName, std::size_t> counts;
    for (const auto& snapshot : snapshots) {
        names.emplace_back(snapshot);
        ++counts[names.back()];
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (counts[names[i]] > 1) {
            names[i] = IdentityName(snapshots[i].owner(), IdentityName::Index{snapshots[i].indexInOwner()});
        }
    }
    return names;
}

std::vector<ItemMatch> IdentityMatcher::match(const std::vector<ItemSnapshot>& snapshots,
                                              const std::vector<IdentityName>& known) {
    const auto names = uniqueNames(snapshots);
    const std::unordered_set<IdentityName> knownSet(known.begin(), known.end());
    std::unordered_set<IdentityName> claimed;
    std::vector<std::optional<ItemMatch>> rows(snapshots.size());

    // Exact pass: a known name is claimed by the first snapshot that bears it.
    std::map<AppKey, std::vector<std::size_t>> leftoversByOwner;
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        if (knownSet.contains(names[i]) && claimed.insert(names[i]).second) {
            rows[i] = ItemMatch{snapshots[i], names[i], false, false};
        } else {
            leftoversByOwner[snapshots[i].owner()].push_back(i);
        }
    }

    // The rest of each owner take the owner's unclaimed known names by position.
    for (auto& [owner, group] : leftoversByOwner) {
        std::vector<const IdentityName*> candidates;
        for (const auto& name : known) {
            if (name.owner == owner && !claimed.contains(name)) {
                candidates.push_back(&name);
            }
        }
        std::stable_sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) {
            return snapshots[a].indexInOwner() < snapshots[b].indexInOwner();
        });
        std::size_t next = 0;
        for (std::size_t i : group) {
            // A name listed twice in `known` is still claimed only once.
            while (next < candidates.size() && claimed.contains(*candidates[next])) {
                ++next;
            }
            if (next < candidates.size()) {
                const IdentityName& candidate = *candidates[next++];
                claimed.insert(candidate);
                rows[i] = ItemMatch{snapshots[i], candidate, true, false};
            } else {
                rows[i] = ItemMatch{snapshots[i], names[i], false, true};
            }
        }
    }

    std::vector<ItemMatch> result;
    result.reserve(rows.size());
    for (auto& row : rows) {
        result.push_back(std::move(*row));
    }
    return result;
}

} // namespace pellacor::core
