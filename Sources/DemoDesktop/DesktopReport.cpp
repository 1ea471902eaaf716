#include "DemoDesktop/DesktopReport.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <vector>

namespace pellacor::demo {

std::string DesktopReport::of(const platform::SimulatedPlatform& platform, const DesktopView& view) {
    std::vector<std::string> bar;
    for (const auto& placed : platform.desktop()->menuBarItems()) {
        const QPoint at = view.globalPosition({placed.frame.midX(), placed.frame.midY()});
        bar.push_back(fmt::format("{}@{},{}", placed.ownerBundleIdentifier.value_or("?"), at.x(), at.y()));
    }
    std::string restriction = "none";
    if (const auto held = platform.desktop()->restriction()) {
        restriction = held->allowedBundleIdentifiers.empty()
                          ? std::string("(system items only)")
                          : fmt::format("{}", fmt::join(held->allowedBundleIdentifiers, ","));
    }
    std::vector<std::string> menus;
    for (const auto& window : view.drawnWindows()) {
        if (window.layer != platform::SimulatedDesktop::menuLayer) {
            continue;
        }
        const auto owner = platform.desktop()->application(window.ownerProcessIdentifier);
        const QPoint at = view.globalPosition({window.bounds.midX(), window.bounds.midY()});
        menus.push_back(fmt::format("{}@{},{}:{}",
                                    owner && owner->bundleIdentifier ? *owner->bundleIdentifier : "?", at.x(),
                                    at.y(), view.drawnSince(window.number).value_or(0)));
    }
    return fmt::format("desktop bar: {}\ndesktop restriction: {}\ndesktop menus: {}\ndesktop hot keys: {}\n",
                       fmt::join(bar, " "), restriction,
                       menus.empty() ? "none" : fmt::format("{}", fmt::join(menus, " ")),
                       platform.hotkeyManager()->registeredHotKeys().size());
}

} // namespace pellacor::demo
