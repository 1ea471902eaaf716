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
    return fmt::format("desktop bar: {}\ndesktop restriction: {}\ndesktop hot keys: {}\n",
                       fmt::join(bar, " "), restriction,
                       platform.hotkeyManager()->registeredHotKeys().size());
}

} // namespace pellacor::demo
