#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedIcons.h"
#include "Support/OddFiles.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

namespace pellacor::platform {
namespace PELLACOR_TEST_FILE {
namespace {

using testing::TempDir;

// A scenario or an icon that is a link to a device, a FIFO, a folder or a
// huge file is refused at once: no endless read, no open that waits.
TEST(ScenarioOddFilesTest, OnlyARegularFileOfBoundedSizeIsRead) {
    TempDir temp;
    for (const auto& odd : testing::makeOddFiles(temp, "scenario.json")) {
        SCOPED_TRACE(odd.label);
        const auto result = Scenario::load(odd.path);
        ASSERT_TRUE(std::holds_alternative<ScenarioError>(result));
        EXPECT_NE(std::get<ScenarioError>(result).message.find(odd.path.string()), std::string::npos);
    }
    for (const auto& odd : testing::makeOddFiles(temp, "icon.png")) {
        SCOPED_TRACE(odd.label);
        EXPECT_EQ(SimulatedIcons::fromFile(odd.path), std::nullopt);
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::platform
