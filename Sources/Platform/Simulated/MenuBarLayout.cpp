#include "Platform/Simulated/MenuBarLayout.h"

#include <algorithm>

namespace pellacor::platform {

bool MenuBarLayout::isAllowed(const SimulatedStatusItem& item,
                              const std::optional<std::string>& ownerBundleIdentifier,
                              const std::optional<MenuBarRestriction>& restriction) {
    if (!restriction) {
        return true;
    }
    if (item.kind == SimulatedStatusItem::Kind::system) {
        return restriction->allowedSystemItems.contains(item.systemItemNumber);
    }
    return ownerBundleIdentifier && restriction->allowedBundleIdentifiers.contains(*ownerBundleIdentifier);
}

std::vector<PlacedStatusItem> MenuBarLayout::place(const SimulatedScreen& screen,
                                                   const core::Rect& firstScreenFrame,
                                                   const std::vector<SimulatedApplication>& applications,
                                                   const std::optional<MenuBarRestriction>& restriction) {
    std::vector<PlacedStatusItem> rightToLeft;
    auto collect = [&](SimulatedStatusItem::Kind kind) {
        for (const auto& app : applications) {
            if (!app.isRunning) {
                continue;
            }
            for (const auto& item : app.statusItems) {
                if (item.kind == kind && isAllowed(item, app.bundleIdentifier, restriction)) {
                    rightToLeft.push_back({app.bundleIdentifier, app.processIdentifier, item, {}});
                }
            }
        }
    };
    collect(SimulatedStatusItem::Kind::system);
    collect(SimulatedStatusItem::Kind::standard);

    const core::Rect topDownScreen = core::convertScreenSpace(screen.frame.standardized(), firstScreenFrame);
    double right = topDownScreen.maxX();
    std::vector<PlacedStatusItem> placed;
    for (auto& entry : rightToLeft) {
        const double width = std::max(0.0, entry.item.width);
        if (right - width < topDownScreen.minX()) {
            break;
        }
        right -= width;
        entry.frame = core::Rect(right, topDownScreen.minY(), width, screen.menuBarHeight);
        placed.push_back(std::move(entry));
    }
    std::reverse(placed.begin(), placed.end());
    return placed;
}

std::optional<core::Rect> MenuBarLayout::frameOf(const std::vector<PlacedStatusItem>& placed,
                                                 const SimulatedApplication& app, std::size_t index) {
    std::vector<bool> taken(app.statusItems.size(), false);
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
        if (it->ownerProcessIdentifier != app.processIdentifier) {
            continue;
        }
        for (std::size_t i = 0; i < app.statusItems.size(); ++i) {
            if (!taken[i] && app.statusItems[i] == it->item) {
                taken[i] = true;
                if (i == index) {
                    return it->frame;
                }
                break;
            }
        }
    }
    return std::nullopt;
}

} // namespace pellacor::platform
