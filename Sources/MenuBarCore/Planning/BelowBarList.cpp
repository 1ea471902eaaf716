#include "MenuBarCore/Planning/BelowBarList.h"

#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace pellacor::core {

std::vector<ItemSnapshot>
BelowBarList::withRemembered(const std::vector<ItemSnapshot>& items,
                             const std::map<AppKey, std::vector<ItemSnapshot>>& remembered,
                             const std::set<AppKey>& tableApps, const std::set<std::string>& running) {
    std::set<AppKey> present;
    for (auto& item : items) {
        present.insert(item.owner());
    }
    std::set<AppKey> candidates = tableApps;
    for (auto& [app, _] : remembered) {
        candidates.insert(app);
    }
    std::vector<ItemSnapshot> out;
    // std::set<AppKey> iterates in ascending bundle-identifier order already.
    for (auto& app : candidates) {
        if (present.contains(app) || AppKey::isAppleBundleID(app.bundleID()) ||
            !running.contains(app.bundleID())) {
            continue;
        }
        if (auto it = remembered.find(app); it != remembered.end()) {
            out.insert(out.end(), it->second.begin(), it->second.end());
        } else {
            out.emplace_back(app.bundleID(), 0, std::nullopt, std::nullopt, std::nullopt, 0, std::nullopt);
        }
    }
    out.insert(out.end(), items.begin(), items.end());
    return out;
}

std::vector<ItemSnapshot> BelowBarList::stableOrder(const std::vector<ItemSnapshot>& items,
                                                    const std::vector<AppKey>& order,
                                                    const std::map<AppKey, int>& firstSeen) {
    constexpr int last = std::numeric_limits<int>::max();
    std::unordered_map<std::string, int> rank;
    for (std::size_t i = 0; i < order.size(); ++i) {
        rank.emplace(order[i].bundleID(), static_cast<int>(i)); // first occurrence wins
    }
    struct Keyed {
        int r;
        int f;
        std::size_t position;
        const ItemSnapshot* item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto& item = items[i];
        auto r = rank.find(item.ownerBundleID());
        auto f = firstSeen.find(item.owner());
        keyed.push_back(
            {r == rank.end() ? last : r->second, f == firstSeen.end() ? last : f->second, i, &item});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.r != b.r) {
            return a.r < b.r;
        }
        if (a.f != b.f) {
            return a.f < b.f;
        }
        auto& ao = a.item->ownerBundleID();
        auto& bo = b.item->ownerBundleID();
        if (ao == bo) {
            if (a.item->indexInOwner() != b.item->indexInOwner()) {
                return a.item->indexInOwner() < b.item->indexInOwner();
            }
            return a.position < b.position;
        }
        return ao < bo;
    });
    std::vector<ItemSnapshot> out;
    out.reserve(keyed.size());
    for (auto& k : keyed) {
        out.push_back(*k.item);
    }
    return out;
}

std::vector<BelowBarEntry> BelowBarList::entries(const std::vector<ItemSnapshot>& items,
                                                 const Profile& profile, std::string_view selfBundleID,
                                                 const std::set<AppKey>& notchOverflow) {
    return numbered(items, selfBundleID, [&](const AppKey& owner) {
        auto section = profile.section(owner);
        return section == Section::hidden || (section == Section::shown && notchOverflow.contains(owner));
    });
}

std::vector<BelowBarEntry> BelowBarList::numbered(const std::vector<ItemSnapshot>& items,
                                                  std::string_view selfBundleID,
                                                  const std::function<bool(const AppKey&)>& include) {
    const std::string self = Text::trimmed(selfBundleID);
    std::vector<const ItemSnapshot*> kept;
    std::unordered_set<std::string> keys;
    std::unordered_map<std::string, int> perOwner;
    for (auto& item : items) {
        if (item.ownerBundleID().empty() || item.isApple() || item.ownerBundleID() == self ||
            !include(item.owner())) {
            continue;
        }
        if (!keys.insert(item.ownerBundleID() + "#" + std::to_string(item.indexInOwner())).second) {
            continue;
        }
        kept.push_back(&item);
        ++perOwner[item.ownerBundleID()];
    }
    std::unordered_map<std::string, int> seen;
    std::vector<BelowBarEntry> rows;
    rows.reserve(kept.size());
    for (auto* item : kept) {
        BelowBarEntry row;
        row.bundleID = item->ownerBundleID();
        row.index = item->indexInOwner();
        if (item->ownerPID() != 0) {
            row.pid = item->ownerPID();
        }
        int count = ++seen[row.bundleID];
        if (perOwner[row.bundleID] >= 2) {
            row.ordinal = count;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace pellacor::core
