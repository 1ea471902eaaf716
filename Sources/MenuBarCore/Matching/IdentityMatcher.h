#pragma once

#include "MenuBarCore/Matching/IdentityName.h"
#include "MenuBarCore/Matching/ItemMatch.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"

#include <set>
#include <vector>

namespace pellacor::core {

// Pure operations over the items of one read: which applications are new, and
// which name each item goes by.
class IdentityMatcher {
public:
    IdentityMatcher() = delete;

    // The owners of the snapshots that are neither Apple applications nor in
    // `knownApps`, each once, in order of first appearance.
    static std::vector<AppKey> newApps(const std::vector<ItemSnapshot>& snapshots,
                                       const std::set<AppKey>& knownApps);

    // One name per snapshot, in snapshot order: its own name, or its index name
    // when that name occurs more than once in the list (so two items of one
    // application with the same clue are told apart by position).
    static std::vector<IdentityName> uniqueNames(const std::vector<ItemSnapshot>& snapshots);

    // One row per snapshot, in snapshot order. A snapshot whose unique name is
    // known and unclaimed keeps it. The rest, per owner and by index, take the
    // owner's still unclaimed known names in `known` order (renamed); once those
    // run out they keep their own names (new).
    static std::vector<ItemMatch> match(const std::vector<ItemSnapshot>& snapshots,
                                        const std::vector<IdentityName>& known);
};

} // namespace pellacor::core
