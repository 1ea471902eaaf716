#include "Platform/Simulated/SimulatedLoginWindow.h"

#include "Platform/Simulated/SimulatedRuntimeLoader.h"

#include <gtest/gtest.h>
#include <string>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;

namespace {

const std::string library(SimulatedLoginWindow::libraryPath);
const std::string symbol(SimulatedLoginWindow::switchFunctionName);

} // namespace

TEST(SimulatedLoginWindowTest, TheFunctionIsFoundThroughItsOwnLibrarysHandleOnly) {
    SimulatedRuntimeLoader loader;
    auto loginWindow = SimulatedLoginWindow::create();
    loginWindow->install(loader);
    loader.registerLibrary("/other");

    auto other = loader.openLibrary("/other", RuntimeLoader::BindingMode::now);
    ASSERT_TRUE(other);
    EXPECT_FALSE(loader.lookUpFunction(*other, symbol));
    EXPECT_FALSE(loader.lookUpFunction({9999}, symbol)) << "a handle never handed out";

    auto handle = loader.openLibrary(library, RuntimeLoader::BindingMode::now);
    ASSERT_TRUE(handle);
    EXPECT_FALSE(loader.lookUpFunction(*handle, "SACLockScreen"));
    auto switchFn = loader.lookUpFunction(*handle, symbol);
    ASSERT_TRUE(switchFn);
    loginWindow->setResult(5);
    EXPECT_EQ(switchFn(), 5);
    EXPECT_EQ(loginWindow->switchCount(), 0);

    loader.setFunctionMissing(library, symbol);
    EXPECT_FALSE(loader.lookUpFunction(*handle, symbol));

    // The function outlives the framework object as a failing one.
    loginWindow.reset();
    EXPECT_EQ(switchFn(), -1);
}

} // namespace PELLACOR_TEST_FILE
