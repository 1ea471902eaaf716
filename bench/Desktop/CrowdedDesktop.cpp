#include "Desktop/CrowdedDesktop.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Support/DesktopBuilders.h"

#include <map>

namespace pellacor::bench {

std::string crowdedApp(std::int64_t index) {
    return index % 10 == 9 ? "com.apple.extra" + std::to_string(index)
                           : "com.vendor" + std::to_string(index) + ".app";
}

platform::Scenario crowdedDesktop(std::int64_t apps, std::int64_t itemsEach) {
    using testing::application;
    using testing::statusItem;
    platform::Scenario scenario;
    scenario.screens = {platform::SimulatedScreen{core::Rect(0, 0, 3840, 1080), 24}};
    platform::SimulatedStatusItem clock = statusItem("com.apple.menuextra.clock", 100);
    clock.kind = platform::SimulatedStatusItem::Kind::system;
    scenario.applications = {
        application("com.apple.controlcenter", 10, {clock}),
        application(std::string(core::bundleIdentifier), 20, {statusItem("trv-control", 24)})};
    for (std::int64_t i = 0; i < apps; ++i) {
        std::vector<platform::SimulatedStatusItem> items;
        for (std::int64_t j = 0; j < itemsEach; ++j) {
            items.push_back(statusItem(crowdedApp(i) + ".item" + std::to_string(j), 24));
        }
        scenario.applications.push_back(
            application(crowdedApp(i), static_cast<std::int32_t>(1000 + i), std::move(items)));
    }
    // Items are read only from application bundles.
    for (auto& app : scenario.applications) {
        app.bundlePath = "/Applications/" + app.bundleIdentifier.value_or("helper") + ".app";
    }
    return scenario;
}

core::Profile crowdedProfile(std::int64_t apps) {
    std::map<core::AppKey, core::Section> sections;
    for (std::int64_t i = 0; i < apps; ++i) {
        if (i % 10 != 9) {
            sections[core::AppKey(crowdedApp(i))] = core::allSections[static_cast<std::size_t>(i % 3)];
        }
    }
    return core::Profile(core::Uuid::random(), "ふだん", std::move(sections), {}, core::Section::hidden);
}

} // namespace pellacor::bench
