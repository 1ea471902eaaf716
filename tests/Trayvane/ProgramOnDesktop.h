#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/OffMain.h"
#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "Platform/Screens.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/Common/IconStore.h"

#include <QRectF>
#include <functional>
#include <gtest/gtest.h>

namespace pellacor::testing {

// Where the desktop view draws the program's control item ("trv-control").
inline QRectF controlItemRect(const demo::DesktopView& view) {
    if (const auto rect = view.itemRect("trv-control")) {
        return *rect;
    }
    ADD_FAILURE() << "the control item is not on the bar";
    return {};
}

// Runs every job at once, on the calling thread: icons rendered without a queue.
inline concurrency::OffMain inlineRuns() {
    return [](std::function<void()> work) -> concurrency::Task<void> {
        work();
        co_return;
    };
}

// The default simulated desktop (one 1512 × 982 screen with a camera housing)
// for a widget test of the program, and an icon store whose icons are
// rendered at once when the manual executor runs.
struct DesktopWithIcons {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    concurrency::ManualExecutor executor;
    std::shared_ptr<app::IconStore> icons =
        app::IconStore::create(executor, platform->workspace(), inlineRuns());
};

// Every item of the running applications as a read would give it, without frames.
inline std::vector<core::ItemSnapshot> itemSnapshots(const platform::SimulatedDesktop& desktop) {
    std::vector<core::ItemSnapshot> result;
    for (const auto& app : desktop.runningApplications()) {
        for (std::size_t i = 0; i < app.statusItems.size() && app.bundleIdentifier; ++i) {
            const auto& item = app.statusItems[i];
            result.emplace_back(*app.bundleIdentifier, app.processIdentifier, item.identifier,
                                item.description, item.title, static_cast<int>(i), std::nullopt);
        }
    }
    return result;
}

// A machine without a display.
class NoScreens final : public platform::Screens {
public:
    std::vector<platform::Screen> screens() const override { return {}; }
};

} // namespace pellacor::testing
