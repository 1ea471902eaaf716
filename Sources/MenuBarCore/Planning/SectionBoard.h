#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/SectionRow.h"

#include <set>
#include <string>
#include <vector>

namespace pellacor::core {

// The rows of the settings' sections pane: one per application that owns read
// status items or that the profile names, in the menu bar's left-to-right order.
class SectionBoard {
public:
    SectionBoard() = delete;

    // Item applications come first, by their leftmost item (applications without
    // any frame after those with one, ties by the order in which they were read),
    // then the profile's other non-Apple applications (not the program itself) by
    // bundle identifier. A non-empty `order` then re-sorts the rows by first
    // position in it, stably; the program itself, when `order` misses it, comes
    // first, and any other missing application last. Screens and frames are in
    // top-down coordinates.
    static std::vector<SectionRow> rows(const std::vector<ItemSnapshot>& items, const Profile& profile,
                                        const std::set<std::string>& running, const std::string& selfBundleID,
                                        const std::vector<AppKey>& order, const std::vector<Rect>& screens);
};

} // namespace pellacor::core
