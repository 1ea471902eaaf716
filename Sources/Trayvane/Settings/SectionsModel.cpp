#include "Trayvane/Settings/SectionsModel.h"

#include "MenuBarCore/Planning/SectionBoard.h"

namespace pellacor::app {

SectionsModel::SectionsModel(core::Profile profile, std::string selfBundleID)
    : profile_(std::move(profile)), selfBundleID_(std::move(selfBundleID)) {
    rebuild();
}

void SectionsModel::rebuild() {
    const std::vector<core::AppKey>& order = layoutOrder_ ? *layoutOrder_ : profile_.order;
    observers.assign(rows_,
                     core::SectionBoard::rows(items_, profile_, running_, selfBundleID_, order, screens_),
                     Property::rows);
}

} // namespace pellacor::app
