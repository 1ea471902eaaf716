#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/LayoutTable.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellacor::core {

// Pure planning over the system's layout table: finds the program's control
// item, works out the order the active profile wants and the fewest new
// positions that produce it. Entries whose position is not finite are ignored
// throughout, as if the table did not hold them, and no planned position is
// ever non-finite.
class OrderPlanner {
public:
    OrderPlanner() = delete;

    // A parsed table key: "status:" + bundleID + "::" + name.
    struct Key {
        std::string bundleID;
        std::string name;
        bool operator==(const Key&) const = default;
    };

    // Why no plan could be made.
    enum class Refusal {
        noControl, // the program's control item cannot be identified in the table
        noRoom,    // positions so near the end of the finite range that the wanted order cannot be written
    };

    // The changed entries (key to new position; empty when the bar already has
    // the wanted order), or the refusal.
    using PlanResult = std::variant<LayoutTable, Refusal>;

    // The name of the control item among the program's own keys.
    static constexpr std::string_view controlName = "Item-0";

    // Splits "status:<bundle>::<name>" at the first "::"; the name may hold more
    // "::". Nothing when the prefix is missing, there is no "::", or either part
    // is empty.
    static std::optional<Key> parse(std::string_view key);

    // The program's only own key whose name is not in `keepNames`; among several,
    // the only one named "Item-0". Nothing when none or still ambiguous.
    static std::optional<std::string> controlKey(const LayoutTable& table, std::string_view selfBundleID,
                                                 const std::set<std::string>& keepNames);

    // The applications of the table, neither the program nor Apple's, left to
    // right by their leftmost key; ties by bundle identifier.
    static std::vector<AppKey> currentOrder(const LayoutTable& table, std::string_view selfBundleID);

    // Keys for the shown applications of `iconCounts` (the profile's new-item
    // section stands for applications it does not list) that own no key in the
    // table yet: "status:<bundle>::Item-0" … one per item, at least one. Apple
    // applications and the program itself get none. By bundle identifier.
    static std::vector<std::string> missingShownKeys(const LayoutTable& table, const Profile& profile,
                                                     std::string_view selfBundleID,
                                                     const std::map<AppKey, int>& iconCounts);

    // The keys of running Apple applications that sit left of the control item
    // (empty without a control item). Their order means nothing.
    static std::vector<std::string> appleKeysLeftOfControl(const LayoutTable& table,
                                                           std::string_view selfBundleID,
                                                           const std::set<std::string>& keepNames,
                                                           const std::set<AppKey>& running);

    // The longest subsequence of `keys` whose positions strictly decrease, the
    // earliest one among equals. Keys without a position in the table are never
    // part of it. Quadratic in the number of keys.
    static std::vector<std::string> longestDecreasing(const std::vector<std::string>& keys,
                                                      const LayoutTable& table);

    // The new positions that put hidden applications left of the control item and
    // shown ones (and `appleKeys`, rightmost) right of it, each side in profile
    // order, moving as few keys as possible. `newKeys` are added first at the
    // far left; `movableApps` (nothing = all) limits which applications move.
    // With a `followName`, the follower is also placed right next to the control
    // item. `keepNames` and the follower's name are own items that are not the
    // control.
    //
    // Planned positions never tie, so an empty result always means the order
    // is reached: where positions are too large for quarter steps (beyond about
    // 2^51) a moved key takes the next double past its neighbour; a run of moved
    // keys with no double to spare between its neighbours also moves the
    // neighbour on the far side from the control item; and when even that
    // cannot be written (the end of the finite range), the plan is `noRoom`.
    static PlanResult plan(const LayoutTable& table, const Profile& profile, std::string_view selfBundleID,
                           const std::set<std::string>& keepNames,
                           const std::optional<std::string>& followName,
                           const std::optional<std::set<AppKey>>& movableApps,
                           const std::vector<std::string>& newKeys,
                           const std::vector<std::string>& appleKeys);

    // "status:" + selfBundleID + "::" + name.
    static std::string followerKey(std::string_view selfBundleID, std::string_view name);

    // A position right next to the control item (between it and the nearest key
    // right of it) for the follower, or nothing when it is there already, is not
    // in the table, or there is no control item.
    static std::optional<double> followerValue(const LayoutTable& table, std::string_view selfBundleID,
                                               std::string_view name, const std::set<std::string>& keepNames);
};

} // namespace pellacor::core
