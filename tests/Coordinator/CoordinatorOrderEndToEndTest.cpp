// The coordinator's order writing over the real layout-table service and the
// simulated desktop: a reorder rearranges the simulated bar.

#include "Concurrency/SerialQueue.h"
#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarSystem/Reordering/ItemReorderer.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Support/CoordinatorFixture.h"
#include "Support/LayoutHome.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using coordinator::OrderOutcome;
using core::AppKey;
using core::Section;
using platform::MenuBarLayoutFile;
using platform::PropertyListValue;

class OrderEndToEnd : public CoordinatorFixture {
protected:
    static std::string keyOf(const std::string& bundleID) {
        return MenuBarLayoutFile::key(bundleID, "Item-0");
    }

    LayoutHome home;
};

TEST_F(OrderEndToEnd, AReorderLeavesTheSimulatedBarInTheProfilesOrder) {
    const char* fern = "com.example.fernlight";
    const char* cobalt = "com.example.cobaltide";
    const char* bramble = "com.example.brambleclip";
    const char* vellum = "com.example.vellumpad";
    // Left to right: vellum (hidden), the control item, then the shown ones in the wrong order.
    home.storeTable({
        {keyOf(vellum), PropertyListValue::real(30)},
        {keyOf(selfID), PropertyListValue::real(20)},
        {keyOf(bramble), PropertyListValue::real(12)},
        {keyOf(cobalt), PropertyListValue::real(10)},
        {keyOf(fern), PropertyListValue::real(5)},
    });
    timings.profile = makeProfile({{AppKey(fern), Section::shown},
                                   {AppKey(cobalt), Section::shown},
                                   {AppKey(bramble), Section::shown},
                                   {AppKey(vellum), Section::hidden}});
    const std::vector<AppKey> wanted{AppKey(vellum), AppKey(fern), AppKey(cobalt), AppKey(bramble)};
    timings.profile.order = wanted;
    apps->running = {fern, cobalt, bramble, vellum};

    auto services = this->services();
    services.reorderer = std::make_shared<system::ItemReorderer>(
        std::make_shared<concurrency::SerialQueue>(system::ItemReorderer::queueLabel()), home.preferences,
        home.fileManager);
    coordinator = Coordinator::create(services, timings, clocks());
    ASSERT_NE(coordinator, nullptr);
    Coordinator& c = start();
    givenCollapsed();
    ASSERT_TRUE(executor.runUntil([&] { return !Probe::placeShownTask(c); }));

    auto handle = concurrency::spawn(executor, c.applyOrder(true));
    ASSERT_TRUE(executor.runUntil([&] { return handle.isFinished(); }));
    ASSERT_TRUE(handle.result().has_value());
    EXPECT_EQ(handle.result()->kind(), OrderOutcome::Kind::written);

    home.desktop->reloadLayoutTable();
    const auto table = home.desktop->layoutTable();
    EXPECT_EQ(core::OrderPlanner::currentOrder(table, selfID), wanted);
    // The hidden application stays left of the control item, the shown ones right of it.
    EXPECT_GT(table.at(keyOf(vellum)), table.at(keyOf(selfID)));
    EXPECT_LT(table.at(keyOf(fern)), table.at(keyOf(selfID)));
    EXPECT_EQ(Probe::profile(c).order, wanted);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
