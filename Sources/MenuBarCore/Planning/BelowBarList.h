#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// The list logic behind the panels that reach items the bar does not show.
class BelowBarList {
public:
    BelowBarList() = delete;

    // Adds, before `items`, the remembered snapshots (or one placeholder) of every
    // running application that is known to own items but is missing from the read.
    static std::vector<ItemSnapshot>
    withRemembered(const std::vector<ItemSnapshot>& items,
                   const std::map<AppKey, std::vector<ItemSnapshot>>& remembered,
                   const std::set<AppKey>& tableApps, const std::set<std::string>& running);

    // Profile order first, then first-seen rank, then bundle identifier; within an
    // application by its item index. Stable.
    static std::vector<ItemSnapshot> stableOrder(const std::vector<ItemSnapshot>& items,
                                                 const std::vector<AppKey>& order,
                                                 const std::map<AppKey, int>& firstSeen);

    // The below-bar rows: hidden applications, and shown ones while the notch hides them.
    static std::vector<BelowBarEntry> entries(const std::vector<ItemSnapshot>& items, const Profile& profile,
                                              std::string_view selfBundleID,
                                              const std::set<AppKey>& notchOverflow);

    // One row per distinct (owner, index) whose owner `include` accepts; never the
    // program's own, Apple's or owner-less items.
    static std::vector<BelowBarEntry> numbered(const std::vector<ItemSnapshot>& items,
                                               std::string_view selfBundleID,
                                               const std::function<bool(const AppKey&)>& include);
};

} // namespace pellacor::core
