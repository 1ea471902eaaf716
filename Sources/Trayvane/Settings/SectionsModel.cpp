#include "Trayvane/Settings/SectionsModel.h"

#include "MenuBarCore/Planning/SectionBoard.h"
#include "MenuBarCore/Support/Log.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace pellacor::app {

SectionsModel::SectionsModel(core::Profile profile, std::string selfBundleID)
    : profile_(std::move(profile)), selfBundleID_(std::move(selfBundleID)) {
    rebuild();
}

std::vector<core::SectionRow> SectionsModel::rows(core::Section section) const {
    std::vector<core::SectionRow> result;
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(result),
                 [section](const core::SectionRow& row) { return row.section == section; });
    return result;
}

void SectionsModel::rebuild() {
    const std::vector<core::AppKey>& order = layoutOrder_ ? *layoutOrder_ : profile_.order;
    auto rows = core::SectionBoard::rows(items_, profile_, running_, selfBundleID_, order, screens_);
    if (allowedOnBar_) {
        for (auto& row : rows) {
            row.hiddenByMacOS = row.hiddenByMacOS && allowedOnBar_->contains(row.id());
        }
    }
    observers.assign(rows_, std::move(rows), Property::rows);
}

void SectionsModel::update(std::vector<core::ItemSnapshot> items, std::set<std::string> running,
                           std::optional<std::set<std::string>> allowedOnBar) {
    if (items == items_ && running == running_ && allowedOnBar == allowedOnBar_) {
        return;
    }
    items_ = std::move(items);
    running_ = std::move(running);
    allowedOnBar_ = std::move(allowedOnBar);
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

bool SectionsModel::setRunning(std::set<std::string> running) {
    if (running == running_) {
        return false;
    }
    running_ = std::move(running);
    return true;
}

bool SectionsModel::setScreens(std::vector<core::Rect> screens) {
    if (screens == screens_) {
        return false;
    }
    screens_ = std::move(screens);
    return true;
}

void SectionsModel::refresh(std::set<std::string> running, std::vector<core::Rect> screens,
                            std::optional<std::set<std::string>> allowedOnBar) {
    const bool runningChanged = setRunning(std::move(running));
    const bool screensChanged = setScreens(std::move(screens));
    const bool allowedChanged = allowedOnBar != allowedOnBar_;
    allowedOnBar_ = std::move(allowedOnBar);
    if (runningChanged || screensChanged || allowedChanged) {
        rebuild();
    }
}

std::vector<core::AppKey> SectionsModel::movableApps() const {
    std::vector<core::AppKey> apps;
    for (const auto& row : rows_) {
        if (row.isMovable()) {
            apps.push_back(row.app);
        }
    }
    return apps;
}

bool SectionsModel::move(const std::vector<std::string>& bundleIDs, core::Section section) {
    const std::vector<core::AppKey> movable = movableApps();
    bool changed = false;
    for (const auto& bundleID : bundleIDs) {
        const core::AppKey app(bundleID);
        if (std::find(movable.begin(), movable.end(), app) == movable.end()) {
            continue;
        }
        if (profile_.assign(app, section)) {
            changed = true;
            core::Log::app().info("区画を変えました（{} → {}）", bundleID, core::rawValue(section));
        }
    }
    if (!changed) {
        return false;
    }
    // Told after the profile is whole again, then the rows follow it.
    observers.notify(Property::profile);
    rebuild();
    if (onChange) {
        onChange(profile_);
    }
    if (onMove) {
        onMove();
    }
    return true;
}

bool SectionsModel::reorder(const std::vector<std::string>& bundleIDs, const std::string& target) {
    if (bundleIDs.empty() || bundleIDs.front() == target) {
        return false;
    }
    const std::string& dragged = bundleIDs.front();
    const auto movableRow = [this](const std::string& bundleID) -> const core::SectionRow* {
        const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const core::SectionRow& row) {
            return row.isMovable() && row.id() == bundleID;
        });
        return found == rows_.end() ? nullptr : &*found;
    };
    const core::SectionRow* targetRow = movableRow(target);
    if (movableRow(dragged) == nullptr || targetRow == nullptr) {
        return false;
    }
    const core::Section section = targetRow->section;
    const core::AppKey draggedApp(dragged);
    std::vector<core::AppKey> order = movableApps();
    std::erase(order, draggedApp);
    order.insert(std::find(order.begin(), order.end(), core::AppKey(target)), draggedApp);

    const core::Profile before = profile_;
    profile_.assign(draggedApp, section);
    core::Log::app().info("順番を変えました（{} を {} の前へ・区画 {}）", dragged, target,
                          core::rawValue(section));
    orderChanged(std::move(order), before);
    return true;
}

std::optional<core::AppKey> SectionsModel::neighbor(const std::string& bundleID, int offset) const {
    const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const core::SectionRow& candidate) {
        return candidate.id() == bundleID;
    });
    if (row == rows_.end() || !row->isMovable()) {
        return std::nullopt;
    }
    std::vector<core::AppKey> inSection;
    for (const auto& candidate : rows_) {
        if (candidate.isMovable() && candidate.section == row->section) {
            inSection.push_back(candidate.app);
        }
    }
    const auto position = std::find(inSection.begin(), inSection.end(), row->app) - inSection.begin();
    const auto wanted = position + offset;
    if (wanted < 0 || wanted >= static_cast<std::ptrdiff_t>(inSection.size())) {
        return std::nullopt;
    }
    return inSection[static_cast<std::size_t>(wanted)];
}

bool SectionsModel::step(const std::string& bundleID, int offset) {
    const std::optional<core::AppKey> other = neighbor(bundleID, offset);
    if (!other) {
        return false;
    }
    std::vector<core::AppKey> order = movableApps();
    // Rows of other sections between the two keep their places.
    std::iter_swap(std::find(order.begin(), order.end(), core::AppKey(bundleID)),
                   std::find(order.begin(), order.end(), *other));
    const core::Profile before = profile_;
    core::Log::app().info("順番を変えました（{} を1つ{}へ）", bundleID, offset < 0 ? "上" : "下");
    orderChanged(std::move(order), before);
    return true;
}

void SectionsModel::orderChanged(std::vector<core::AppKey> order, const core::Profile& before) {
    profile_.order = order;
    if (profile_ != before) {
        observers.notify(Property::profile);
    }
    // The bar will follow: until it reports its own order, the rows keep this one.
    layoutOrder_ = std::move(order);
    rebuild();
    if (onReorder) {
        onReorder(profile_);
    }
}

void SectionsModel::setNewItemSection(core::Section section) {
    if (profile_.newItemSection == section) {
        return;
    }
    profile_.newItemSection = section;
    core::Log::app().info("新しいアイコンの置き場所を「{}」にしました", core::rawValue(section));
    observers.notify(Property::profile);
    rebuild();
    if (onChange) {
        onChange(profile_);
    }
}

} // namespace pellacor::app
