#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Pressing/PressLog.h"
#include "Support/FakePressAccessibility.h"
#include "Support/FakeRevealer.h"
#include "Support/LogCapture.h"
#include "Support/PresserFixture.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using concurrency::ManualExecutor;
using namespace std::chrono_literals;

namespace {

std::string currentThreadName() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return name;
}

TEST(PresserQueueTest, ThePressersQueueFollowsTheBundleIdentifier) {
    EXPECT_EQ(ItemPresser::queueLabel(), "app.trayvane.pellacor.item-presser");
    EXPECT_EQ(concurrency::SerialQueue::threadName(ItemPresser::queueLabel()), "or.item-presser");
}

TEST(PresserQueueTest, ThePressLogWritesUnderTheBundleIdentifierInCategoryPress) {
    pellacor::testing::LogCapture capture;
    PressLog::press().notice("押せませんでした（{}・AX {}）", "com.example.a", -25200);
    const auto records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].subsystem, "app.trayvane.pellacor");
    EXPECT_EQ(records[0].category, "press");
    EXPECT_EQ(records[0].message, "押せませんでした（com.example.a・AX -25200）");
}

TEST(PresserQueueTest, TheProgramsPresserHasTheUsualTimingsAndPressesFromItsQueue) {
    ManualExecutor executor;
    auto queue = std::make_shared<concurrency::SerialQueue>(ItemPresser::queueLabel());
    auto accessibility =
        std::make_shared<pellacor::testing::FakePressAccessibility>(concurrency::nowOf(executor));
    auto revealer = std::make_shared<pellacor::testing::FakeRevealer>(executor);
    accessibility->setProcesses("com.example.a", {10});
    // Notes where the window lists are read and the press is made; the press
    // opens its menu at once.
    std::mutex mutex;
    std::vector<std::string> threads;
    accessibility->setWindowsHook([&](std::int32_t) {
        std::lock_guard lock(mutex);
        threads.push_back(currentThreadName());
    });
    accessibility->setPressHook([&](const pellacor::testing::FakePressAccessibility::Call& call) {
        {
            std::lock_guard lock(mutex);
            threads.push_back(currentThreadName());
        }
        accessibility->addWindow(call.pid, 500, call.at);
        return PressCall::sent(0);
    });

    const auto presser = ItemPresser::create(executor, queue, accessibility, revealer);
    const ItemPresser::Settings& settings = presser->settings();
    EXPECT_EQ(settings.openWait, 1500ms);
    EXPECT_EQ(settings.revealHold, 10s);
    EXPECT_EQ(settings.liftHold, 30s);
    EXPECT_EQ(settings.placeWait, 1s);
    EXPECT_EQ(settings.leaveShownHold, ItemPresser::leaveShownHold);
    EXPECT_EQ(settings.leaveShownLimit, ItemPresser::leaveShownLimit);
    EXPECT_EQ(ItemPresser::leaveShownHold, 30s);
    EXPECT_EQ(ItemPresser::leaveShownLimit, 90s);
    EXPECT_EQ(ItemPresser::leaveShownGrace, 800ms);
    EXPECT_TRUE(presser->memory().worked.empty());
    EXPECT_TRUE(presser->leftShownTickets().empty());
    EXPECT_TRUE(presser->heldTicketIds().empty());

    auto handle = concurrency::spawn(executor, presser->press(PressTarget("com.example.a", 0, 10)));
    ASSERT_TRUE(executor.runUntil([&] { return handle.isFinished(); }));
    EXPECT_EQ(handle.result(), PressOutcome::opened(core::PressMethod::direct));
    const std::string queueThread = concurrency::SerialQueue::threadName(ItemPresser::queueLabel());
    std::lock_guard lock(mutex);
    EXPECT_EQ(threads, (std::vector<std::string>{queueThread, queueThread, queueThread}))
        << "baseline, press, first look";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
