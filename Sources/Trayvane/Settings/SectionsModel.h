#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
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
// order), and two notes shown under the list. Plain C++, observable; main
// thread.
class SectionsModel {
public:
    enum class Property { rows, profile, saveWarning, layoutFolderNote };

    // Built over the active profile; the rows reflect it at once, with no items yet.
    SectionsModel(core::Profile profile, std::string selfBundleID);

    // One row per application, in display order; only `rebuild` writes them.
    const std::vector<core::SectionRow>& rows() const { return rows_; }

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

    // After every read: stores both and rebuilds, unless both are as stored.
    void update(std::vector<core::ItemSnapshot> items, std::set<std::string> running);
    // The bar's order as the coordinator reads it from the layout table;
    // nothing when the layout folder is not granted, and the rows fall back
    // to the profile's order. An order clears the folder note.
    void update(std::optional<std::vector<core::AppKey>> layoutOrder);
    const std::optional<std::vector<core::AppKey>>& layoutOrder() const { return layoutOrder_; }
    const std::vector<core::ItemSnapshot>& items() const { return items_; }

    // Replaced by the settings window's refresh, which rebuilds after a change.
    const std::set<std::string>& running() const { return running_; }
    void setRunning(std::set<std::string> running) { running_ = std::move(running); }
    const std::vector<core::Rect>& screens() const { return screens_; }
    void setScreens(std::vector<core::Rect> screens) { screens_ = std::move(screens); }

    // Recomputes the rows from the profile, the items, the running
    // applications, the bar's order (the profile's while the bar's is not
    // known) and the screens; assigns them only when they differ.
    void rebuild();

    // What the page's edits hand to the shell: a section change (and, after
    // it, that applications moved), and a new order.
    std::function<void(const core::Profile&)> onChange;
    std::function<void()> onMove;
    std::function<void(const core::Profile&)> onReorder;

    core::Observers<Property> observers;

private:
    std::vector<core::SectionRow> rows_;
    core::Profile profile_;
    std::optional<std::string> saveWarning_;
    std::optional<std::string> layoutFolderNote_;
    std::string selfBundleID_;
    // What the rows are computed from besides the profile.
    std::vector<core::ItemSnapshot> items_;
    std::set<std::string> running_;
    std::vector<core::Rect> screens_;
    std::optional<std::vector<core::AppKey>> layoutOrder_;
};

} // namespace pellacor::app
