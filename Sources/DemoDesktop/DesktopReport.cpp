#include "DemoDesktop/DesktopReport.h"

#include <cmath>

namespace pellacor::demo {

std::string DesktopReport::of(const platform::SimulatedPlatform& platform, const DesktopView& view) {
    std::string bar = "desktop bar:";
    for (const auto& placed : platform.desktop()->menuBarItems()) {
        const QPoint at = view.globalPosition({placed.frame.midX(), placed.frame.midY()});
        bar += " " + placed.ownerBundleIdentifier.value_or("?") + "@" + std::to_string(at.x()) + "," +
               std::to_string(at.y());
    }
    std::string restriction = "desktop restriction:";
    if (const auto held = platform.desktop()->restriction()) {
        std::string separator = " ";
        for (const auto& bundleID : held->allowedBundleIdentifiers) {
            restriction += separator + bundleID;
            separator = ",";
        }
        if (held->allowedBundleIdentifiers.empty()) {
            restriction += " (system items only)";
        }
    } else {
        restriction += " none";
    }
    const std::string hotKeys =
        "desktop hot keys: " + std::to_string(platform.hotkeyManager()->registeredHotKeys().size());
    return bar + "\n" + restriction + "\n" + hotKeys + "\n";
}

} // namespace pellacor::demo
