#include "MenuBarCore/Planning/OrderPlanner.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <tuple>
#include <variant>

namespace pellacor::core {

namespace {

constexpr std::string_view keyPrefix = "status:";
constexpr std::string_view nameSeparator = "::";
// The room given to each moved key when there is plenty.
constexpr double slot = 0.25;
constexpr double infinity = std::numeric_limits<double>::infinity();

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

// Which part of the bar a key belongs to, left to right.
enum class Side {
    hidden,  // left of the control item
    control, // the control item itself
    shown,   // right of the control item
};

// A key that may move, with what orders it.
struct Mover {
    const std::string* key;
    double position;
    Side side;
    bool isAppleKey;         // one of the Apple keys asked to move to the shown side, rightmost there
    std::size_t profileRank; // the application's first place in the profile's order
    std::size_t currentRank; // its place on the bar now, leftmost first
};

// The keys that may move, with their applications (none for the control item),
// and which of them are the Apple keys asked for.
struct Movers {
    std::map<std::string, std::optional<AppKey>> owners;
    std::set<std::string> appleKeys;
};

// The table's usable entries plus the new keys, each new one further left than
// everything before it.
LayoutTable withNewKeysAtFarLeft(const LayoutTable& table, const std::vector<std::string>& newKeys) {
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
            // Where a step of 1 is lost in rounding, the next double still keeps the keys apart.
            farLeft = std::max(farLeft + 1, std::nextafter(farLeft, infinity));
            working.emplace(key, farLeft);
        }
    }
    return working;
}

// What may move: the control item, the keys of the movable applications (not
// the program's, not Apple's) and the Apple keys asked for that the table holds.
Movers moversOf(const LayoutTable& working, const std::string& control, std::string_view selfBundleID,
                const std::optional<std::set<AppKey>>& movableApps,
                const std::vector<std::string>& appleKeys) {
    Movers movers;
    movers.owners.emplace(control, std::nullopt);
    for (const auto& [key, position] : working) {
        auto parsed = OrderPlanner::parse(key);
        if (!parsed || parsed->bundleID == selfBundleID || AppKey::isAppleBundleID(parsed->bundleID)) {
            continue;
        }
        AppKey app(parsed->bundleID);
        if (movableApps && !movableApps->contains(app)) {
            continue;
        }
        movers.owners.insert_or_assign(key, std::move(app));
    }
    for (const auto& key : appleKeys) {
        if (!working.contains(key)) {
            continue;
        }
        if (auto parsed = OrderPlanner::parse(key)) {
            movers.owners.insert_or_assign(key, AppKey(parsed->bundleID));
            movers.appleKeys.insert(key);
        } else {
            movers.owners.erase(key);
            movers.appleKeys.erase(key);
        }
    }
    return movers;
}

Side sideOf(const Movers& movers, const std::string& key, const std::optional<AppKey>& owner,
            const Profile& profile) {
    if (movers.appleKeys.contains(key)) {
        return Side::shown;
    }
    if (!owner) {
        return Side::control;
    }
    return profile.section(*owner) == Section::shown ? Side::shown : Side::hidden;
}

// The movers in the order the profile wants, left to right: hidden, the
// control item, shown (the Apple keys last); each side by profile order, then
// as they stand now.
std::vector<Mover> wantedSequence(const Movers& movers, const LayoutTable& working, const Profile& profile) {
    std::vector<Mover> sequence;
    sequence.reserve(movers.owners.size());
    const std::size_t unranked = profile.order.size();
    for (const auto& [key, owner] : movers.owners) {
        Mover mover{&key,
                    working.at(key),
                    sideOf(movers, key, owner, profile),
                    movers.appleKeys.contains(key),
                    unranked,
                    0};
        if (owner) {
            auto first = std::find(profile.order.begin(), profile.order.end(), *owner);
            mover.profileRank = static_cast<std::size_t>(first - profile.order.begin());
        }
        sequence.push_back(mover);
    }
    // The bar now: leftmost first, ties by key.
    std::sort(sequence.begin(), sequence.end(), [](const Mover& a, const Mover& b) {
        if (a.position != b.position) {
            return a.position > b.position;
        }
        return *a.key < *b.key;
    });
    for (std::size_t rank = 0; rank < sequence.size(); ++rank) {
        sequence[rank].currentRank = rank;
    }
    std::sort(sequence.begin(), sequence.end(), [](const Mover& a, const Mover& b) {
        return std::tie(a.side, a.isAppleKey, a.profileRank, a.currentRank) <
               std::tie(b.side, b.isAppleKey, b.profileRank, b.currentRank);
    });
    return sequence;
}

std::size_t indexOf(const std::vector<Mover>& sequence, const std::string& key) {
    return static_cast<std::size_t>(
        std::find_if(sequence.begin(), sequence.end(), [&](const Mover& m) { return *m.key == key; }) -
        sequence.begin());
}

// The keys that keep their positions: the control item and, on either side of
// it, the longest run already on its side and in the wanted order.
std::set<std::string> keysInPlace(const std::vector<Mover>& sequence, const std::string& control,
                                  const LayoutTable& working) {
    const std::size_t controlAt = indexOf(sequence, control);
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
    std::set<std::string> stable{control};
    for (auto& key : OrderPlanner::longestDecreasing(leftCandidates, working)) {
        stable.insert(std::move(key));
    }
    for (auto& key : OrderPlanner::longestDecreasing(rightCandidates, working)) {
        stable.insert(std::move(key));
    }
    return stable;
}

// Positions for a run of `count` moved keys below `hi` and above `lo` (either
// may be absent, not both), from the left: steps of a quarter, narrower where
// the gap is narrow. Where a quarter is lost in rounding (positions beyond
// about 2^51) each key takes the next double past its neighbour instead, so no
// two positions tie. Nothing when the doubles between the anchors cannot hold
// the run, or it would leave the finite range.
std::optional<std::vector<double>> spreadRun(std::optional<double> hi, std::optional<double> lo,
                                             std::size_t count) {
    std::vector<double> positions(count);
    if (hi) {
        const double step = lo ? std::min((*hi - *lo) / static_cast<double>(count + 1), slot) : slot;
        double previous = *hi;
        for (std::size_t t = 1; t <= count; ++t) {
            previous = std::min(*hi - step * static_cast<double>(t), std::nextafter(previous, -infinity));
            positions[t - 1] = previous;
        }
    } else {
        double next = *lo;
        for (std::size_t t = count; t >= 1; --t) {
            next = std::max(*lo + slot * static_cast<double>(count + 1 - t), std::nextafter(next, infinity));
            positions[t - 1] = next;
        }
    }
    const bool fits = std::all_of(positions.begin(), positions.end(), [&](double position) {
        return isPosition(position) && (!lo || position > *lo) && (!hi || position < *hi);
    });
    if (!fits) {
        return std::nullopt;
    }
    return positions;
}

// The new position of every key of the wanted sequence: stable keys keep theirs,
// each run of moved keys is spread between its stable neighbours; or the first
// run that does not fit there.
struct RunAt {
    std::size_t start;
    std::size_t end;
};
using Spread = std::variant<std::vector<double>, RunAt>;

Spread spreadOnce(const std::vector<Mover>& sequence, const std::set<std::string>& stable) {
    std::vector<double> assigned(sequence.size());
    std::size_t at = 0;
    while (at < sequence.size()) {
        if (stable.contains(*sequence[at].key)) {
            assigned[at] = sequence[at].position;
            ++at;
            continue;
        }
        std::size_t runEnd = at;
        while (runEnd < sequence.size() && !stable.contains(*sequence[runEnd].key)) {
            ++runEnd;
        }
        const bool hasHi = at > 0;
        const bool hasLo = runEnd < sequence.size();
        if (!hasHi && !hasLo) {
            // Nothing to anchor to: nothing moves.
            for (std::size_t i = at; i < runEnd; ++i) {
                assigned[i] = sequence[i].position;
            }
        } else if (auto run = spreadRun(hasHi ? std::optional(assigned[at - 1]) : std::nullopt,
                                        hasLo ? std::optional(sequence[runEnd].position) : std::nullopt,
                                        runEnd - at)) {
            std::copy(run->begin(), run->end(), assigned.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            return RunAt{at, runEnd};
        }
        at = runEnd;
    }
    return assigned;
}

// Spreads the moved keys; a run that does not fit between its stable
// neighbours takes in the neighbour away from the control item (which never
// moves), so that it grows towards the open end of the bar, and all is spread
// again. Nothing when even a run open to the end does not fit (positions at the
// edge of the finite range).
std::optional<std::vector<double>> spreadMovedKeys(const std::vector<Mover>& sequence,
                                                   std::set<std::string> stable) {
    for (;;) {
        Spread spread = spreadOnce(sequence, stable);
        if (auto* assigned = std::get_if<std::vector<double>>(&spread)) {
            return std::move(*assigned);
        }
        const RunAt run = std::get<RunAt>(spread);
        const bool leftOfControl =
            run.end < sequence.size() &&
            std::any_of(sequence.begin() + static_cast<std::ptrdiff_t>(run.end), sequence.end(),
                        [](const Mover& m) { return m.side == Side::control; });
        if (leftOfControl && run.start > 0) {
            stable.erase(*sequence[run.start - 1].key);
        } else if (!leftOfControl && run.end < sequence.size()) {
            stable.erase(*sequence[run.end].key);
        } else {
            return std::nullopt;
        }
    }
}

// Only what changed; keys outside the movers are never in it.
LayoutTable changedEntries(const std::vector<Mover>& sequence, const std::vector<double>& assigned) {
    LayoutTable result;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (assigned[i] != sequence[i].position) {
            result.emplace(*sequence[i].key, assigned[i]);
        }
    }
    return result;
}

// The follower goes right next to the control item in the planned table.
void placeFollower(LayoutTable& result, const LayoutTable& working, std::string_view selfBundleID,
                   const std::string& followName, const std::set<std::string>& keepNames) {
    LayoutTable merged = working;
    for (const auto& [key, position] : result) {
        merged.insert_or_assign(key, position);
    }
    if (auto follower = OrderPlanner::followerValue(merged, selfBundleID, followName, keepNames)) {
        result.insert_or_assign(OrderPlanner::followerKey(selfBundleID, followName), *follower);
    }
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
    const LayoutTable working = withNewKeysAtFarLeft(table, newKeys);
    std::set<std::string> ownNames = keepNames;
    if (followName) {
        ownNames.insert(*followName);
    }
    auto control = controlKey(working, selfBundleID, ownNames);
    if (!control) {
        return Refusal::noControl;
    }
    const Movers movers = moversOf(working, *control, selfBundleID, movableApps, appleKeys);
    const std::vector<Mover> sequence = wantedSequence(movers, working, profile);
    auto assigned = spreadMovedKeys(sequence, keysInPlace(sequence, *control, working));
    if (!assigned) {
        return Refusal::noRoom;
    }
    LayoutTable result = changedEntries(sequence, *assigned);
    if (followName) {
        placeFollower(result, working, selfBundleID, *followName, keepNames);
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
    // Far from zero a slot is less than one step between doubles, and the
    // follower would land on the control item itself, be found out of place
    // on every pass and be planned again each time.
    const double below = std::nextafter(c, -infinity);
    if (!nearest) {
        return std::min(c - slot, below);
    }
    return std::min(c - std::min((c - *nearest) * 0.5, slot), below);
}

} // namespace pellacor::core
