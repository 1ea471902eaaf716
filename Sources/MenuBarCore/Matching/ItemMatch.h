#pragma once

#include "MenuBarCore/Matching/IdentityName.h"
#include "MenuBarCore/Model/ItemSnapshot.h"

namespace pellacor::core {

// One freshly read item paired with the name it goes by: a name known from
// before (`wasRenamed` when it was matched by owner alone because its own clues
// changed), or its own new name (`isNew`). At most one of the flags is set.
struct ItemMatch {
    ItemSnapshot snapshot;
    IdentityName name;
    bool wasRenamed = false;
    bool isNew = false;

    bool operator==(const ItemMatch&) const = default;
};

} // namespace pellacor::core
