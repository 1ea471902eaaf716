#include "MenuBarCore/Planning/OrderPlanner.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <tuple>

namespace pellacor::core {

namespace {

constexpr std::string_view keyPrefix = "status:";
constexpr std::string_view nameSeparator = "::";
// The room given to each moved key when there is plenty.
constexpr double slot = 0.25;

// Only finite positions can be ordered; anything else is treated as absent.
bool isPosition(double value) {
    return std::isfinite(value);
}

std::optional<double> positionOf(const LayoutTable& table, const std::string& key) {
    auto entry = table.find(key);
    if (entry == table.end() || !isPosition(entry->second)) {
        return std::nullopt;
    }
    return entry->second;
}

} // namespace

std::optional<OrderPlanner::Key> OrderPlanner::parse(std::string_view key) {
    if (!key.starts_with(keyPrefix)) {
        return std::nullopt;
    }
    std::string_view rest = key.substr(keyPrefix.size());
    auto separator = rest.find(nameSeparator);
    if (separator == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view bundleID = rest.substr(0, separator);
    std::string_view name = rest.substr(separator + nameSeparator.size());
    if (bundleID.empty() || name.empty()) {
        return std::nullopt;
    }
    return Key{std::string(bundleID), std::string(name)};
}

std::optional<std::string> OrderPlanner::controlKey(const LayoutTable& table, std::string_view selfBundleID,
                                                    const std::set<std::string>& keepNames) {
    std::vector<const std::string*> candidates;
    std::vector<const std::string*> namedControl;
    for (const auto& [key, position] : table) {
        if (!isPosition(position)) {
            continue;
        }
        auto parsed = parse(key);
        if (!parsed || parsed->bundleID != selfBundleID || keepNames.contains(parsed->name)) {
            continue;
        }
        candidates.push_back(&key);
        if (parsed->name == controlName) {
            namedControl.push_back(&key);
        }
    }
    if (candidates.size() == 1) {
        return *candidates.front();
    }
    if (namedControl.size() == 1) {
        return *namedControl.front();
    }
    return std::nullopt;
}

std::vector<AppKey> OrderPlanner::currentOrder(const LayoutTable& table, std::string_view selfBundleID) {
    std::map<AppKey, double> leftmost;
    for (const auto& [key, position] : table) {
        if (!isPosition(position)) {
            continue;
        }
        auto parsed = parse(key);
        if (!parsed || parsed->bundleID == selfBundleID || AppKey::isAppleBundleID(parsed->bundleID)) {
            continue;
        }
        auto [entry, inserted] = leftmost.try_emplace(AppKey(parsed->bundleID), position);
        if (!inserted) {
            entry->second = std::max(entry->second, position);
        }
    }
    std::vector<std::pair<AppKey, double>> apps(leftmost.begin(), leftmost.end());
    // The map is in bundle-identifier order already, so a stable sort keeps ties that way.
    std::stable_sort(apps.begin(), apps.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<AppKey> order;
    order.reserve(apps.size());
    for (auto& [app, position] : apps) {
        order.push_back(std::move(app));
    }
    return order;
}

std::vector<std::string> OrderPlanner::missingShownKeys(const LayoutTable& table, const Profile& profile,
                                                        std::string_view selfBundleID,
                                                        const std::map<AppKey, int>& iconCounts) {
    std::set<std::string, std::less<>> owners;
    for (const auto& [key, position] : table) {
        if (!isPosition(position)) {
            continue;
        }
        if (auto parsed = parse(key)) {
            owners.insert(std::move(parsed->bundleID));
        }
    }
    std::vector<std::string> keys;
    for (const auto& [app, count] : iconCounts) {
        if (app.isApple() || app.bundleID() == selfBundleID || owners.contains(app.bundleID()) ||
            profile.section(app) != Section::shown) {
            continue;
        }
        int items = std::max(count, 1);
        for (int index = 0; index < items; ++index) {
            keys.push_back(std::string(keyPrefix) + app.bundleID() + "::Item-" + std::to_string(index));
        }
    }
    return keys;
}

std::vector<std::string> OrderPlanner::appleKeysLeftOfControl(const LayoutTable& table,
                                                              std::string_view selfBundleID,
                                                              const std::set<std::string>& keepNames,
                                                              const std::set<AppKey>& running) {
    auto control = controlKey(table, selfBundleID, keepNames);
    if (!control) {
        return {};
    }
    const double c = table.at(*control);
    std::vector<std::string> keys;
    for (const auto& [key, position] : table) {
        if (!isPosition(position) || position <= c) {
            continue;
        }
        auto parsed = parse(key);
        if (parsed && AppKey::isAppleBundleID(parsed->bundleID) &&
            running.contains(AppKey(parsed->bundleID))) {
            keys.push_back(key);
        }
    }
    return keys;
}

std::vector<std::string> OrderPlanner::longestDecreasing(const std::vector<std::string>& keys,
                                                         const LayoutTable& table) {
    std::vector<const std::string*> items;
    std::vector<double> positions;
    items.reserve(keys.size());
    positions.reserve(keys.size());
    for (const auto& key : keys) {
        if (auto position = positionOf(table, key)) {
            items.push_back(&key);
            positions.push_back(*position);
        }
    }
    const std::size_t count = items.size();
    if (count == 0) {
        return {};
    }
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> length(count, 1);
    std::vector<std::size_t> previous(count, none);
    std::size_t end = 0;
    for (std::size_t j = 0; j < count; ++j) {
        for (std::size_t k = 0; k < j; ++k) {
            if (positions[k] > positions[j] && length[k] + 1 > length[j]) {
                length[j] = length[k] + 1;
                previous[j] = k;
            }
        }
        if (length[j] > length[end]) {
            end = j;
        }
    }
    std::vector<std::string> run;
    run.reserve(length[end]);
    for (std::size_t at = end; at != none; at = previous[at]) {
        run.push_back(*items[at]);
    }
    std::reverse(run.begin(), run.end());
    return run;
}

OrderPlanner::PlanResult
OrderPlanner::plan(const LayoutTable& table, const Profile& profile, std::string_view selfBundleID,
                   const std::set<std::string>& keepNames, const std::optional<std::string>& followName,
                   const std::optional<std::set<AppKey>>& movableApps,
                   const std::vector<std::string>& newKeys, const std::vector<std::string>& appleKeys) {
    // 1. New keys start at the far left, one step apart.
    LayoutTable working;
    for (const auto& [key, position] : table) {
        if (isPosition(position)) {
            working.emplace_hint(working.end(), key, position);
        }
    }
    double farLeft = 0;
    if (!working.empty()) {
        farLeft = std::max_element(working.begin(), working.end(), [](const auto& a, const auto& b) {
                      return a.second < b.second;
                  })->second;
    }
    for (const auto& key : newKeys) {
        if (!working.contains(key)) {
            farLeft += 1;
            working.emplace(key, farLeft);
        }
    }

    // 2.–4. The control item, told apart from the program's other items.
    std::set<std::string> ownNames = keepNames;
    if (followName) {
        ownNames.insert(*followName);
    }
    auto control = controlKey(working, selfBundleID, ownNames);
    if (!control) {
        return Refusal::noControl;
    }

    // 3., 5. What may move: the control item, the movable applications' keys and
    // the given Apple keys.
    std::map<std::string, std::optional<AppKey>> movers;
    movers.emplace(*control, std::nullopt);
    for (const auto& [key, position] : working) {
        auto parsed = parse(key);
        if (!parsed || parsed->bundleID == selfBundleID || AppKey::isAppleBundleID(parsed->bundleID)) {
            continue;
        }
        AppKey app(parsed->bundleID);
        if (movableApps && !movableApps->contains(app)) {
            continue;
        }
        movers.insert_or_assign(key, std::move(app));
    }
    std::set<std::string> appleMovers;
    for (const auto& key : appleKeys) {
        if (!working.contains(key)) {
            continue;
        }
        if (auto parsed = parse(key)) {
            movers.insert_or_assign(key, AppKey(parsed->bundleID));
            appleMovers.insert(key);
        } else {
            movers.erase(key);
            appleMovers.erase(key);
        }
    }

    struct Mover {
        const std::string* key;
        double position;
        int side;
        bool isAppleKey;
        std::size_t profileRank;
        std::size_t currentRank;
    };
    std::vector<Mover> sequence;
    sequence.reserve(movers.size());
    const std::size_t unranked = profile.order.size();
    for (const auto& [key, owner] : movers) {
        Mover mover{&key, working.at(key), 0, appleMovers.contains(key), unranked, 0};
        // 8. Shown keys right of the control item, the rest left of it.
        if (mover.isAppleKey) {
            mover.side = 2;
        } else if (!owner) {
            mover.side = 1;
        } else {
            mover.side = profile.section(*owner) == Section::shown ? 2 : 0;
        }
        // 7. An application's first place in the profile's order.
        if (owner) {
            auto first = std::find(profile.order.begin(), profile.order.end(), *owner);
            mover.profileRank = static_cast<std::size_t>(first - profile.order.begin());
        }
        sequence.push_back(mover);
    }

    // 6. Current order: leftmost first, ties by key.
    std::sort(sequence.begin(), sequence.end(), [](const Mover& a, const Mover& b) {
        if (a.position != b.position) {
            return a.position > b.position;
        }
        return *a.key < *b.key;
    });
    for (std::size_t rank = 0; rank < sequence.size(); ++rank) {
        sequence[rank].currentRank = rank;
    }

    // 9. Wanted order, left to right.
    std::sort(sequence.begin(), sequence.end(), [](const Mover& a, const Mover& b) {
        return std::tie(a.side, a.isAppleKey, a.profileRank, a.currentRank) <
               std::tie(b.side, b.isAppleKey, b.profileRank, b.currentRank);
    });

    // 10. The keys that keep their positions: the control item and the longest
    // runs on either side of it that are already in order.
    const auto controlAt = static_cast<std::size_t>(
        std::find_if(sequence.begin(), sequence.end(), [&](const Mover& m) { return *m.key == *control; }) -
        sequence.begin());
    const double c = sequence[controlAt].position;
    std::vector<std::string> leftCandidates;
    std::vector<std::string> rightCandidates;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (i < controlAt && sequence[i].position > c) {
            leftCandidates.push_back(*sequence[i].key);
        } else if (i > controlAt && sequence[i].position < c) {
            rightCandidates.push_back(*sequence[i].key);
        }
    }
    std::set<std::string> stable{*control};
    for (auto& key : longestDecreasing(leftCandidates, working)) {
        stable.insert(std::move(key));
    }
    for (auto& key : longestDecreasing(rightCandidates, working)) {
        stable.insert(std::move(key));
    }

    // 11. Runs of moved keys are spread between their stable neighbours.
    std::vector<double> assigned(sequence.size());
    std::size_t at = 0;
    while (at < sequence.size()) {
        if (stable.contains(*sequence[at].key)) {
            assigned[at] = sequence[at].position;
            ++at;
            continue;
        }
        const std::size_t runStart = at;
        std::size_t runEnd = at;
        while (runEnd < sequence.size() && !stable.contains(*sequence[runEnd].key)) {
            ++runEnd;
        }
        const std::size_t k = runEnd - runStart;
        const bool hasHi = runStart > 0;
        const bool hasLo = runEnd < sequence.size();
        const double hi = hasHi ? assigned[runStart - 1] : 0;
        const double lo = hasLo ? sequence[runEnd].position : 0;
        const double step = hasHi && hasLo ? std::min((hi - lo) / static_cast<double>(k + 1), slot) : slot;
        for (std::size_t t = 1; t <= k; ++t) {
            const std::size_t index = runStart + t - 1;
            if (hasHi) {
                assigned[index] = hi - step * static_cast<double>(t);
            } else if (hasLo) {
                assigned[index] = lo + slot * static_cast<double>(k + 1 - t);
            } else {
                assigned[index] = sequence[index].position;
            }
        }
        at = runEnd;
    }

    // 12. Only what changed.
    LayoutTable result;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (assigned[i] != sequence[i].position) {
            result.emplace(*sequence[i].key, assigned[i]);
        }
    }

    // 13. The follower goes right next to the control item in the planned table.
    if (followName) {
        LayoutTable merged = working;
        for (const auto& [key, position] : result) {
            merged.insert_or_assign(key, position);
        }
        if (auto follower = followerValue(merged, selfBundleID, *followName, keepNames)) {
            result.insert_or_assign(followerKey(selfBundleID, *followName), *follower);
        }
    }
    return result;
}

std::string OrderPlanner::followerKey(std::string_view selfBundleID, std::string_view name) {
    return std::string(keyPrefix) + std::string(selfBundleID) + std::string(nameSeparator) +
           std::string(name);
}

std::optional<double> OrderPlanner::followerValue(const LayoutTable& table, std::string_view selfBundleID,
                                                  std::string_view name,
                                                  const std::set<std::string>& keepNames) {
    const std::string follower = followerKey(selfBundleID, name);
    auto f = positionOf(table, follower);
    if (!f) {
        return std::nullopt;
    }
    std::set<std::string> ownNames = keepNames;
    ownNames.emplace(name);
    auto control = controlKey(table, selfBundleID, ownNames);
    if (!control) {
        return std::nullopt;
    }
    const double c = table.at(*control);
    std::optional<double> nearest;
    for (const auto& [key, position] : table) {
        if (!isPosition(position) || position >= c || key == follower || key == *control) {
            continue;
        }
        if (!nearest || position > *nearest) {
            nearest = position;
        }
    }
    if (*f < c && (!nearest || *f > *nearest)) {
        return std::nullopt;
    }
    if (!nearest) {
        return c - slot;
    }
    return c - std::min((c - *nearest) * 0.5, slot);
}

} // namespace pellacor::core
