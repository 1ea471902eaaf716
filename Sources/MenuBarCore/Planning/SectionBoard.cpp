#include "MenuBarCore/Planning/SectionBoard.h"

#include "MenuBarCore/Planning/MenuBarPresence.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>

namespace pellacor::core {

namespace {

struct OwnerFacts {
    int icons = 0;
    int onBarIcons = 0;
    std::size_t firstSeen = 0;
    std::optional<double> leftmostX;
};

SectionRow::Kind kindOf(const AppKey& app, const std::string& selfBundleID) {
    if (app.bundleID() == selfBundleID) {
        return SectionRow::Kind::selfItem;
    }
    return app.isApple() ? SectionRow::Kind::apple : SectionRow::Kind::movable;
}

} // namespace

std::vector<SectionRow> SectionBoard::rows(const std::vector<ItemSnapshot>& items, const Profile& profile,
                                           const std::set<std::string>& running,
                                           const std::string& selfBundleID, const std::vector<AppKey>& order,
                                           const std::vector<Rect>& screens) {
    std::unordered_map<std::string, OwnerFacts> facts;
    std::vector<AppKey> apps;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        auto [entry, isNew] = facts.try_emplace(item.ownerBundleID());
        OwnerFacts& owner = entry->second;
        if (isNew) {
            owner.firstSeen = i;
            apps.push_back(item.owner());
        }
        ++owner.icons;
        if (!MenuBarPresence::isOffMenuBar(item.frame(), screens)) {
            ++owner.onBarIcons;
        }
        if (const auto& frame = item.frame()) {
            const double x = frame->minX();
            // A NaN position cannot be ordered; such an item counts as one without a frame,
            // which keeps the sort below well defined.
            if (!std::isnan(x) && (!owner.leftmostX || x < *owner.leftmostX)) {
                owner.leftmostX = x;
            }
        }
    }

    std::stable_sort(apps.begin(), apps.end(), [&](const AppKey& a, const AppKey& b) {
        const OwnerFacts& fa = facts.at(a.bundleID());
        const OwnerFacts& fb = facts.at(b.bundleID());
        if (fa.leftmostX.has_value() != fb.leftmostX.has_value()) {
            return fa.leftmostX.has_value();
        }
        if (fa.leftmostX && *fa.leftmostX != *fb.leftmostX) {
            return *fa.leftmostX < *fb.leftmostX;
        }
        return fa.firstSeen < fb.firstSeen;
    });

    // The profile's keys are already in bundle-identifier order.
    for (const auto& [app, section] : profile.sections) {
        if (!facts.contains(app.bundleID()) && !app.isApple() && app.bundleID() != selfBundleID) {
            apps.push_back(app);
        }
    }

    if (!order.empty()) {
        std::unordered_map<std::string, std::int64_t> firstPosition;
        for (std::size_t i = 0; i < order.size(); ++i) {
            firstPosition.try_emplace(order[i].bundleID(), static_cast<std::int64_t>(i));
        }
        auto rank = [&](const AppKey& app) -> std::int64_t {
            if (auto it = firstPosition.find(app.bundleID()); it != firstPosition.end()) {
                return it->second;
            }
            return app.bundleID() == selfBundleID ? -1 : std::numeric_limits<std::int64_t>::max();
        };
        std::stable_sort(apps.begin(), apps.end(),
                         [&](const AppKey& a, const AppKey& b) { return rank(a) < rank(b); });
    }

    std::vector<SectionRow> rows;
    rows.reserve(apps.size());
    for (auto& app : apps) {
        const auto kind = kindOf(app, selfBundleID);
        const auto found = facts.find(app.bundleID());
        const OwnerFacts* owner = found != facts.end() ? &found->second : nullptr;
        const int icons = owner != nullptr ? owner->icons : 0;
        if (kind != SectionRow::Kind::movable) {
            rows.push_back(SectionRow{.app = std::move(app),
                                      .section = Section::shown,
                                      .kind = kind,
                                      .iconCount = icons,
                                      .isRunning = true,
                                      .hiddenByMacOS = false});
            continue;
        }
        const Section section = profile.section(app);
        const bool hasIcons = icons > 0;
        const bool isRunning = hasIcons || running.contains(app.bundleID());
        const bool hiddenByMacOS = hasIcons && owner->onBarIcons == 0;
        rows.push_back(SectionRow{.app = std::move(app),
                                  .section = section,
                                  .kind = kind,
                                  .iconCount = icons,
                                  .isRunning = isRunning,
                                  .hiddenByMacOS = hiddenByMacOS});
    }
    return rows;
}

} // namespace pellacor::core
