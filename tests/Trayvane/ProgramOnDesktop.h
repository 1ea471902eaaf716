#pragma once

#include "Concurrency/OffMain.h"
#include "DemoDesktop/DesktopView.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <QRectF>
#include <functional>
#include <gtest/gtest.h>

namespace pellacor::testing {

// Where the desktop view draws the program's control item ("trv-control").
inline QRectF controlItemRect(const platform::SimulatedPlatform& platform, const demo::DesktopView& view) {
    const auto placed = platform.desktop()->menuBarItems();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (placed[i].item.identifier == "trv-control") {
            return view.itemRects().at(i);
        }
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

} // namespace pellacor::testing
