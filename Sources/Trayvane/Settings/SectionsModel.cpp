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

void SectionsModel::update(std::vector<core::ItemSnapshot> items, std::set<std::string> running) {
    if (items == items_ && running == running_) {
        return;
    }
    items_ = std::move(items);
    running_ = std::move(running);
    rebuild();
}

void SectionsModel::update(std::optional<std::vector<core::AppKey>> layoutOrder) {
    if (layoutOrder) {
        setLayoutFolderNote(std::nullopt);
    }
    if (layoutOrder == layoutOrder_) {
        return;
    }
    layoutOrder_ = std::move(layoutOrder);
    rebuild();
}

} // namespace pellacor::app
