#include "Platform/Simulated/MenuBarLayout.h"

#include "Platform/Simulated/MenuBarLayoutFile.h"

#include <algorithm>
#include <iterator>

namespace pellacor::platform {

bool MenuBarLayout::isAllowed(const SimulatedStatusItem& item,
                              const std::optional<std::string>& ownerBundleIdentifier,
                              const std::optional<MenuBarRestriction>& restriction) {
    if (!restriction) {
        return true;
    }
    if (item.isOverflowChevron) {
        return true;
    }
    if (item.hiddenWhileRestricted) {
        return false;
    }
    if (item.kind == SimulatedStatusItem::Kind::system) {
        return restriction->allowedSystemItems.contains(item.systemItemNumber);
    }
    return ownerBundleIdentifier && restriction->allowedBundleIdentifiers.contains(*ownerBundleIdentifier);
}

std::string MenuBarLayout::itemName(const std::vector<SimulatedStatusItem>& items, std::size_t index) {
    if (index < items.size() && items[index].name) {
        return *items[index].name;
    }
    const auto end = items.begin() + static_cast<std::ptrdiff_t>(std::min(index, items.size()));
    const auto unnamed = std::count_if(items.begin(), end, [](const auto& item) { return !item.name; });
    return "Item-" + std::to_string(unnamed);
}

std::vector<PlacedStatusItem> MenuBarLayout::place(const SimulatedScreen& screen,
                                                   const core::Rect& firstScreenFrame,
                                                   const std::vector<SimulatedApplication>& applications,
                                                   const std::optional<MenuBarRestriction>& restriction,
                                                   const std::map<std::string, double>& positions) {
    std::vector<PlacedStatusItem> rightToLeft;
    // Each standard item's position in the layout table, if it has one.
    std::vector<std::optional<double>> standardPositions;
    auto collect = [&](SimulatedStatusItem::Kind kind) {
        for (const auto& app : applications) {
            if (!app.isRunning) {
                continue;
            }
            for (std::size_t i = 0; i < app.statusItems.size(); ++i) {
                const auto& item = app.statusItems[i];
                if (item.kind != kind || item.isOverflowChevron ||
                    !isAllowed(item, app.bundleIdentifier, restriction)) {
                    continue;
                }
                rightToLeft.push_back({app.bundleIdentifier, app.processIdentifier, item, {}});
                if (kind == SimulatedStatusItem::Kind::standard) {
                    std::optional<double> position;
                    if (app.bundleIdentifier) {
                        auto found = positions.find(
                            MenuBarLayoutFile::key(*app.bundleIdentifier, itemName(app.statusItems, i)));
                        if (found != positions.end()) {
                            position = found->second;
                        }
                    }
                    if (!position) {
                        position = item.preferredPosition;
                    }
                    standardPositions.push_back(position);
                }
            }
        }
    };
    collect(SimulatedStatusItem::Kind::system);
    const std::size_t systemCount = rightToLeft.size();
    collect(SimulatedStatusItem::Kind::standard);

    // Right to left: positioned items by ascending position, then the others; stable for ties.
    std::vector<std::size_t> order(standardPositions.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& pa = standardPositions[a];
        const auto& pb = standardPositions[b];
        if (pa && pb) {
            return *pa < *pb;
        }
        return pa.has_value() && !pb.has_value();
    });
    std::vector<PlacedStatusItem> standard;
    standard.reserve(order.size());
    for (std::size_t i : order) {
        standard.push_back(std::move(rightToLeft[systemCount + i]));
    }
    rightToLeft.resize(systemCount);
    std::move(standard.begin(), standard.end(), std::back_inserter(rightToLeft));

    const core::Rect topDownScreen = core::convertScreenSpace(screen.frame.standardized(), firstScreenFrame);
    // A camera housing takes the middle of the bar: the items stand right of it.
    const bool notched = screen.cameraHousingWidth && *screen.cameraHousingWidth > 0;
    const double leftEnd =
        notched ? topDownScreen.midX() + *screen.cameraHousingWidth / 2 : topDownScreen.minX();
    double right = topDownScreen.maxX();
    std::vector<PlacedStatusItem> placed;
    bool folded = false;
    for (auto& entry : rightToLeft) {
        const double width = std::max(0.0, entry.item.width);
        if (right - width < leftEnd) {
            folded = true;
            break;
        }
        right -= width;
        entry.frame = core::Rect(right, topDownScreen.minY(), width, screen.menuBarHeight);
        placed.push_back(std::move(entry));
    }
    if (folded && notched) {
        placeChevron(applications, leftEnd, topDownScreen.minY(), screen.menuBarHeight, right, placed);
    }
    std::reverse(placed.begin(), placed.end());
    return placed;
}

void MenuBarLayout::placeChevron(const std::vector<SimulatedApplication>& applications, double leftEnd,
                                 double top, double height, double right,
                                 std::vector<PlacedStatusItem>& placed) {
    for (const auto& app : applications) {
        if (!app.isRunning) {
            continue;
        }
        for (const auto& item : app.statusItems) {
            if (!item.isOverflowChevron) {
                continue;
            }
            const double width = std::max(0.0, item.width);
            // The chevron takes the place of as many items as it needs.
            while (right - width < leftEnd && !placed.empty()) {
                right += placed.back().frame.width();
                placed.pop_back();
            }
            if (right - width < leftEnd) {
                return;
            }
            placed.push_back({app.bundleIdentifier, app.processIdentifier, item,
                              core::Rect(right - width, top, width, height)});
            return;
        }
    }
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
