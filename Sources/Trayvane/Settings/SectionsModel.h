#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Planning/SectionRow.h"
#include "MenuBarCore/Support/Observers.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::app {

// The model behind the settings' sections page: the active profile as the page
// edits it, the board's rows computed from it, what they are computed from
// (the items read, the running applications, the screens and the bar's own
// order), and two notes shown under the list. The page's edits change the
// model's own copy of the profile, are logged, and reach the shell through
// `onChange`, `onMove` and `onReorder`; the model never saves, never writes
// the layout table and never talks to the coordinator. Only movable rows
// (ordinary applications) are ever moved or reordered: Apple's and the
// program's own rows are shown as they are. Observable (`observers`, told
// which property changed, only on a real change); plain C++; main thread.
class SectionsModel {
public:
    enum class Property { rows, profile, saveWarning, layoutFolderNote };

    // Built over the active profile; the rows reflect it at once, with no items yet.
    SectionsModel(core::Profile profile, std::string selfBundleID);

    // One row per application, in display order; only `rebuild` writes them.
    const std::vector<core::SectionRow>& rows() const { return rows_; }
    // The rows shown in one section, in row order.
    std::vector<core::SectionRow> rows(core::Section section) const;

    const core::Profile& profile() const { return profile_; }
    // Does not rebuild: whoever sets a different profile calls `rebuild` after.
    void setProfile(core::Profile profile) {
        observers.assign(profile_, std::move(profile), Property::profile);
    }

    // The settings state's warning that edits are not being saved.
    const std::optional<std::string>& saveWarning() const { return saveWarning_; }
    void setSaveWarning(std::optional<std::string> warning) {
        observers.assign(saveWarning_, std::move(warning), Property::saveWarning);
    }

    // A note about the layout folder's grant: why the order is not on the bar.
    const std::optional<std::string>& layoutFolderNote() const { return layoutFolderNote_; }
    void setLayoutFolderNote(std::optional<std::string> note) {
        observers.assign(layoutFolderNote_, std::move(note), Property::layoutFolderNote);
    }

    const std::string& selfBundleID() const { return selfBundleID_; }

    // After every read: the items, the running applications and the
    // applications the program let the bar show when the read landed (nothing
    // while it restricted nothing). Stores the three and rebuilds, unless all
    // are as stored.
    void update(std::vector<core::ItemSnapshot> items, std::set<std::string> running,
                std::optional<std::set<std::string>> allowedOnBar);
    // The bar's order as the coordinator reads it from the layout table;
    // nothing when the layout folder is not granted, and the rows fall back
    // to the profile's order. An order clears the folder note.
    void update(std::optional<std::vector<core::AppKey>> layoutOrder);
    const std::optional<std::vector<core::AppKey>>& layoutOrder() const { return layoutOrder_; }
    const std::vector<core::ItemSnapshot>& items() const { return items_; }
    const std::optional<std::set<std::string>>& allowedOnBar() const { return allowedOnBar_; }

    // Plain inputs, replaced by the settings window's refresh. Each setter
    // stores the value and answers whether it differed; it does not rebuild.
    const std::set<std::string>& running() const { return running_; }
    bool setRunning(std::set<std::string> running);
    const std::vector<core::Rect>& screens() const { return screens_; }
    bool setScreens(std::vector<core::Rect> screens);
    // The refresh: stores the three (the last as `update` does) and rebuilds
    // once when any differed. A restriction can change with nothing on the bar
    // moving, and then no read brings the new one.
    void refresh(std::set<std::string> running, std::vector<core::Rect> screens,
                 std::optional<std::set<std::string>> allowedOnBar);

    // Recomputes the rows from the profile, the items, the running
    // applications, the bar's order (the profile's while the bar's is not
    // known) and the screens; assigns them only when they differ. A row says
    // macOS keeps its application off the bar only when the program itself
    // lets the bar show it: off the bar while the program does not allow it
    // there is the program's own hiding.
    void rebuild();

    // -- The page's edits; each answers whether it changed anything. --------

    // Dragged applications dropped on a section band (or sent there from a
    // row's menu): each movable one not yet there takes that section; the
    // order is left as it is. Then `onChange`, then `onMove`.
    bool move(const std::vector<std::string>& bundleIDs, core::Section section);
    // Dragged applications dropped on a row: the first one alone moves to
    // just before the target and takes the target's section; the profile's
    // order (and the bar's order the rows follow) becomes the movable rows'
    // applications in the new order. Then `onReorder` alone.
    bool reorder(const std::vector<std::string>& bundleIDs, const std::string& target);
    // The movable application `offset` places away from this one within its
    // own section; nothing past either end, or for a row that cannot move.
    std::optional<core::AppKey> neighbor(const std::string& bundleID, int offset) const;
    // One place up (negative) or down within the section: the application and
    // its neighbour change places in the order of all movable rows. Then
    // `onReorder` alone.
    bool step(const std::string& bundleID, int offset);
    // The section newly seen applications get. Then `onChange`.
    void setNewItemSection(core::Section section);

    // What the edits hand to the shell, called after the rows are rebuilt: a
    // section change (followed, for a move, by `onMove`), and a new order.
    std::function<void(const core::Profile&)> onChange;
    std::function<void()> onMove;
    std::function<void(const core::Profile&)> onReorder;

    core::Observers<Property> observers;

private:
    std::vector<core::AppKey> movableApps() const;
    // Stores the new order in the profile and as the bar's, rebuilds, then `onReorder`.
    void orderChanged(std::vector<core::AppKey> order, const core::Profile& before);

    std::vector<core::SectionRow> rows_;
    core::Profile profile_;
    std::optional<std::string> saveWarning_;
    std::optional<std::string> layoutFolderNote_;
    std::string selfBundleID_;
    // What the rows are computed from besides the profile.
    std::vector<core::ItemSnapshot> items_;
    std::set<std::string> running_;
    std::vector<core::Rect> screens_;
    std::optional<std::set<std::string>> allowedOnBar_;
    std::optional<std::vector<core::AppKey>> layoutOrder_;
};

} // namespace pellacor::app
