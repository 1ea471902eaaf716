#include "Trayvane/Common/IconStore.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Promise.h"
#include "Support/FakeWorkspace.h"

#include <QImage>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::IconStore;
using concurrency::ManualExecutor;
using concurrency::Task;
using pellacor::testing::FakeWorkspace;

namespace {

// Renders that wait until the test runs them, as a busy background queue would.
struct HeldRenders {
    struct Job {
        std::function<void()> work;
        concurrency::Promise<void> done;
    };
    std::vector<Job> jobs;

    static Task<void> hold(HeldRenders* self, std::function<void()> work) {
        concurrency::Promise<void> done;
        auto future = done.future();
        self->jobs.push_back({std::move(work), done});
        co_await std::move(future);
    }
    concurrency::OffMain runner() {
        return [this](std::function<void()> work) { return hold(this, std::move(work)); };
    }
    // Runs every held render; their results reach the store on the executor.
    void runAll(ManualExecutor& executor) {
        auto now = std::exchange(jobs, {});
        for (auto& job : now) {
            job.work();
            job.done.setValue();
        }
        executor.runUntilIdle();
    }
};

platform::ApplicationIcon solid(std::uint8_t red, int side = 4) {
    platform::ApplicationIcon icon{side, side, {}};
    for (int i = 0; i < side * side; ++i) {
        icon.rgba.insert(icon.rgba.end(), {red, 0, 0, 255});
    }
    return icon;
}

struct IconStoreTest : ::testing::Test {
    ManualExecutor executor;
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    HeldRenders held;
    std::vector<std::optional<std::string>> renderedPaths;
    // Fails while set.
    bool failing = false;
    std::shared_ptr<IconStore> store =
        IconStore::create(executor, workspace, held.runner(),
                          [this](const std::optional<std::string>& path) -> std::optional<QImage> {
                              renderedPaths.push_back(path);
                              if (failing) {
                                  return std::nullopt;
                              }
                              return IconStore::render(*workspace, path, IconStore::pixels);
                          });
    std::vector<std::string> told;
    pellacor::core::Subscription arrivals;

    IconStoreTest() {
        workspace->setInstalled({{"com.example.one", "/Applications/One.app"}});
        workspace->setIcon("/Applications/One.app", solid(200));
        workspace->setGenericIcon(solid(90));
        arrivals = store->observe([this](const std::string& bundleID) { told.push_back(bundleID); });
    }
};

} // namespace

TEST_F(IconStoreTest, TwoRequestsBeforeTheRenderEndsStartOneAndBothViewsGetTheIcon) {
    EXPECT_EQ(store->image("com.example.one"), std::nullopt);
    executor.runUntilIdle();
    EXPECT_EQ(store->image("com.example.one"), std::nullopt) << "still rendering";
    store->prefetch(std::vector<std::string>{"com.example.one", "com.example.one"});
    executor.runUntilIdle();
    EXPECT_EQ(held.jobs.size(), 1U);
    EXPECT_TRUE(renderedPaths.empty()) << "nothing is drawn on the main thread";
    EXPECT_TRUE(store->isLoading("com.example.one"));

    held.runAll(executor);
    EXPECT_EQ(renderedPaths, (std::vector<std::optional<std::string>>{"/Applications/One.app"}));
    EXPECT_EQ(told, std::vector<std::string>{"com.example.one"}) << "observers are told once";
    EXPECT_FALSE(store->isLoading("com.example.one"));
    const auto image = store->image("com.example.one");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(56, 56));
    EXPECT_EQ(image->deviceIndependentSize(), QSizeF(28, 28));
    EXPECT_EQ(image->pixelColor(28, 28), QColor(200, 0, 0));

    // Cached: asking again renders nothing.
    store->prefetch(std::set<std::string>{"com.example.one"});
    executor.runUntilIdle();
    EXPECT_TRUE(held.jobs.empty());
}

TEST_F(IconStoreTest, AnApplicationNotInstalledGetsTheGenericIcon) {
    store->prefetch(std::vector<std::string>{"com.example.gone"});
    executor.runUntilIdle();
    held.runAll(executor);
    EXPECT_EQ(renderedPaths, (std::vector<std::optional<std::string>>{std::nullopt}));
    const auto image = store->image("com.example.gone");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelColor(10, 10), QColor(90, 0, 0));
}

TEST_F(IconStoreTest, AFailedRenderStoresNothingAndTheNextRequestTriesAgain) {
    failing = true;
    store->prefetch(std::vector<std::string>{"com.example.one"});
    executor.runUntilIdle();
    held.runAll(executor);
    EXPECT_TRUE(told.empty());
    EXPECT_FALSE(store->isLoading("com.example.one"));
    EXPECT_TRUE(store->images().empty());

    failing = false;
    EXPECT_EQ(store->image("com.example.one"), std::nullopt);
    executor.runUntilIdle();
    held.runAll(executor);
    EXPECT_EQ(renderedPaths.size(), 2U);
    EXPECT_TRUE(store->image("com.example.one"));
    EXPECT_EQ(told, std::vector<std::string>{"com.example.one"});
}

TEST_F(IconStoreTest, ARenderThatEndsAfterTheStoreIsGoneIsDropped) {
    store->prefetch(std::vector<std::string>{"com.example.one"});
    executor.runUntilIdle();
    store.reset();
    held.runAll(executor);
    EXPECT_EQ(renderedPaths.size(), 1U);
    EXPECT_TRUE(told.empty());
}

TEST(IconStoreRenderTest, DrawsTheWholeIconIntoTheSquareOrNothingWithoutPixels) {
    FakeWorkspace workspace;
    platform::ApplicationIcon halves{2, 1, {0, 0, 255, 255, 0, 0, 0, 0}}; // blue, then clear
    workspace.setIcon("/Applications/Two.app", halves);
    const auto image = IconStore::render(workspace, std::string("/Applications/Two.app"), 56);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format(), QImage::Format_RGBA8888_Premultiplied);
    EXPECT_EQ(image->size(), QSize(56, 56));
    EXPECT_EQ(image->pixelColor(2, 28), QColor(0, 0, 255));
    EXPECT_EQ(image->pixelColor(53, 28).alpha(), 0);
    // The workspace's generic icon is empty here: nothing to draw, nothing to cache.
    EXPECT_EQ(IconStore::render(workspace, std::nullopt, 56), std::nullopt);
}

// As the program renders: on the utility queue's thread, each icon handed
// back to the main executor, where the store keeps it and tells of it.
TEST(IconStoreQueueTest, IconsRenderedOnTheQueueArriveOnTheMainExecutor) {
    ManualExecutor executor;
    const auto workspace = std::make_shared<FakeWorkspace>();
    workspace->setInstalled(
        {{"com.example.one", "/Applications/One.app"}, {"com.example.two", "/Applications/Two.app"}});
    workspace->setIcon("/Applications/One.app", solid(200));
    workspace->setIcon("/Applications/Two.app", solid(120));
    const auto store =
        IconStore::create(executor, workspace, concurrency::offMainOn(IconStore::utilityQueue()));
    std::vector<std::string> told;
    const auto arrivals = store->observe([&told](const std::string& bundleID) { told.push_back(bundleID); });

    store->prefetch(std::vector<std::string>{"com.example.one", "com.example.two"});
    ASSERT_TRUE(executor.runUntil([&] { return told.size() == 2; }, std::chrono::seconds(30)));
    EXPECT_EQ(told, (std::vector<std::string>{"com.example.one", "com.example.two"}));
    EXPECT_EQ(store->image("com.example.one")->pixelColor(28, 28), QColor(200, 0, 0));
    EXPECT_EQ(store->image("com.example.two")->pixelColor(28, 28), QColor(120, 0, 0));
}

TEST(IconStoreQueueTest, RendersOnAWorkerOfLowerPriority) {
    const auto queue = IconStore::utilityQueue();
    EXPECT_EQ(queue->label(), "app.trayvane.pellacor.icons");
    std::promise<int> workerNice;
    queue->async([&workerNice] {
        errno = 0;
        workerNice.set_value(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))));
    });
    const int main = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    EXPECT_GT(workerNice.get_future().get(), main);
}

} // namespace PELLACOR_TEST_FILE
