#include "MenuBarSystem/Session/UserSwitch.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "Platform/Simulated/SimulatedLoginWindow.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"
#include "Support/SystemResultPrinters.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace pellacor::system;

namespace {

const std::string library(SimulatedLoginWindow::libraryPath);
const std::string symbol(SimulatedLoginWindow::switchFunctionName);

// Passes every call on to the simulated loader and notes how libraries are opened.
class OpenRecordingLoader final : public RuntimeLoader {
public:
    explicit OpenRecordingLoader(std::shared_ptr<RuntimeLoader> inner) : inner_(std::move(inner)) {}

    std::vector<std::pair<std::string, BindingMode>> opened;

    std::optional<LibraryHandle> openLibrary(const std::string& path, BindingMode mode) override {
        opened.emplace_back(path, mode);
        return inner_->openLibrary(path, mode);
    }
    RuntimeObjectRef lookUpClass(const std::string& name) override { return inner_->lookUpClass(name); }
    bool isSubclass(const RuntimeObjectRef& classObject, const std::string& ancestorName) override {
        return inner_->isSubclass(classObject, ancestorName);
    }
    std::optional<RuntimeMethod> instanceMethod(const RuntimeObjectRef& classObject,
                                                const std::string& selector) override {
        return inner_->instanceMethod(classObject, selector);
    }
    std::optional<RuntimeMethod> classMethod(const RuntimeObjectRef& classObject,
                                             const std::string& selector) override {
        return inner_->classMethod(classObject, selector);
    }
    RuntimeObjectRef createInstance(const RuntimeObjectRef& classObject) override {
        return inner_->createInstance(classObject);
    }
    Implementation methodImplementation(const RuntimeObjectRef& object,
                                        const std::string& selector) override {
        return inner_->methodImplementation(object, selector);
    }
    StatusFunction lookUpFunction(LibraryHandle library, const std::string& symbol) override {
        return inner_->lookUpFunction(library, symbol);
    }

private:
    std::shared_ptr<RuntimeLoader> inner_;
};

class UserSwitchTest : public ::testing::Test {
protected:
    void SetUp() override { loginWindow->install(*loader); }

    // Runs the switch as a task on the main executor and waits for its outcome.
    std::optional<SystemResult<>> switchNow(UserSwitch& userSwitch) {
        auto handle = concurrency::spawn(executor, userSwitch.switchToLoginWindow());
        if (!executor.runUntil([&] { return handle.isFinished(); })) {
            return std::nullopt;
        }
        return handle.result();
    }

    concurrency::ManualExecutor executor;
    std::shared_ptr<concurrency::SerialQueue> queue =
        std::make_shared<concurrency::SerialQueue>(UserSwitch::queueLabel());
    std::shared_ptr<SimulatedRuntimeLoader> loader = std::make_shared<SimulatedRuntimeLoader>();
    std::shared_ptr<SimulatedLoginWindow> loginWindow = SimulatedLoginWindow::create();
};

} // namespace

TEST_F(UserSwitchTest, SwitchesOffTheCallersThreadAndReportsSuccess) {
    std::atomic<bool> ranElsewhere = false;
    const auto mainThread = std::this_thread::get_id();
    loader->registerFunction(library, symbol, [&ranElsewhere, mainThread]() -> std::int32_t {
        ranElsewhere = std::this_thread::get_id() != mainThread;
        return 0;
    });
    UserSwitch userSwitch(loader, queue);
    ASSERT_TRUE(userSwitch.isAvailable());
    EXPECT_EQ(switchNow(userSwitch), SystemResult<>::ok());
    EXPECT_TRUE(ranElsewhere);
    EXPECT_EQ(loader->openCount(library), 1) << "opened once, at construction";
}

TEST_F(UserSwitchTest, OpensTheLoginFrameworkOnceWithImmediateBinding) {
    auto recording = std::make_shared<OpenRecordingLoader>(loader);
    UserSwitch userSwitch(recording, queue);
    ASSERT_TRUE(userSwitch.isAvailable());
    EXPECT_EQ(switchNow(userSwitch), SystemResult<>::ok());
    EXPECT_EQ(switchNow(userSwitch), SystemResult<>::ok());
    using Opened = std::vector<std::pair<std::string, RuntimeLoader::BindingMode>>;
    EXPECT_EQ(recording->opened, (Opened{{"/System/Library/PrivateFrameworks/login.framework/login",
                                          RuntimeLoader::BindingMode::now}}));
    EXPECT_EQ(loginWindow->switchCount(), 2);
}

TEST_F(UserSwitchTest, ANonZeroResultIsASystemError) {
    UserSwitch userSwitch(loader, queue);
    EXPECT_EQ(switchNow(userSwitch), SystemResult<>::ok());
    EXPECT_EQ(loginWindow->switchCount(), 1);

    loginWindow->setResult(-1);
    EXPECT_EQ(switchNow(userSwitch), SystemResult<>::unavailable(UnavailableReason::systemError(-1)));
    EXPECT_EQ(loginWindow->callCount(), 2);
    EXPECT_EQ(loginWindow->switchCount(), 1);
}

TEST_F(UserSwitchTest, AMissingFrameworkOrFunctionLeavesSwitchingUnavailable) {
    struct Case {
        const char* name;
        void (*breakIt)(SimulatedRuntimeLoader&);
    };
    const Case cases[]{
        {"library missing", [](SimulatedRuntimeLoader& l) { l.setLibraryMissing(library); }},
        {"function missing", [](SimulatedRuntimeLoader& l) { l.setFunctionMissing(library, symbol); }},
    };
    for (const auto& c : cases) {
        auto broken = std::make_shared<SimulatedRuntimeLoader>();
        loginWindow->install(*broken);
        c.breakIt(*broken);
        UserSwitch userSwitch(broken, queue);
        EXPECT_FALSE(userSwitch.isAvailable()) << c.name;
        EXPECT_EQ(switchNow(userSwitch),
                  SystemResult<>::unavailable(UnavailableReason::userSwitchComponentMissing))
            << c.name;
    }
    UserSwitch withoutLoader(nullptr, queue);
    EXPECT_FALSE(withoutLoader.isAvailable());
    EXPECT_EQ(switchNow(withoutLoader),
              SystemResult<>::unavailable(UnavailableReason::userSwitchComponentMissing));
    EXPECT_EQ(loginWindow->callCount(), 0) << "nothing was touched";
}

TEST_F(UserSwitchTest, AvailabilityIsFixedAtConstruction) {
    UserSwitch userSwitch(loader, queue);
    loader->setLibraryMissing(library);
    EXPECT_TRUE(userSwitch.isAvailable());
    EXPECT_EQ(switchNow(userSwitch), SystemResult<>::ok()) << "the bound function stays callable";
}

} // namespace PELLACOR_TEST_FILE
