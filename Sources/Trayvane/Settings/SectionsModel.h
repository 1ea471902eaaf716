#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/SectionRow.h"
#include "Trayvane/Settings/ModelObservers.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::app {

// The model behind the settings' sections page: the active profile as the page
// edits it, the board's rows computed from it, and a warning shown under the
// list. Plain C++, observable; main thread.
class SectionsModel {
public:
    enum class Property { rows, profile, saveWarning };

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

    const std::string& selfBundleID() const { return selfBundleID_; }

    // Recomputes the rows from the profile, the items, the running
    // applications, the bar's order (the profile's while the bar's is not
    // known) and the screens; assigns them only when they differ.
    void rebuild();

    ModelObservers<Property> observers;

private:
    std::vector<core::SectionRow> rows_;
    core::Profile profile_;
    std::optional<std::string> saveWarning_;
    std::string selfBundleID_;
    // What the rows are computed from besides the profile; the page's feeding fills them.
    std::vector<core::ItemSnapshot> items_;
    std::set<std::string> running_;
    std::vector<core::Rect> screens_;
    std::optional<std::vector<core::AppKey>> layoutOrder_;
};

} // namespace pellacor::app
