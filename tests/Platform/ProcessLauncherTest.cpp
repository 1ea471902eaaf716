#include "Platform/ProcessLauncher.h"

#include "Support/TempDir.h"

#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace PELLACOR_TEST_FILE {

using pellacor::platform::ProcessLauncher;
using pellacor::testing::TempDir;

namespace {

// Waits for a started process and answers its exit status (-1 when it did not exit normally).
int exitStatus(const ProcessLauncher::Result& result) {
    int status = 0;
    if (waitpid(result.processIdentifier, &status, 0) != result.processIdentifier || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

TEST(ProcessLauncherTest, StartsANewProcessWithTheArgumentsEachTime) {
    TempDir folder;
    const auto out = folder / "arguments";
    const ProcessLauncher launcher("/bin/sh", {"sh", "-c", R"(printf '%s|' "$0" "$@" >>"$1"; exit 3)",
                                               "named", out.string(), "two words"});
    for (int run = 0; run < 2; ++run) {
        const auto result = launcher.start();
        ASSERT_TRUE(result.started()) << result.error;
        EXPECT_GT(result.processIdentifier, 0);
        EXPECT_EQ(exitStatus(result), 3);
    }
    const std::string expected = "named|" + out.string() + "|two words|";
    EXPECT_EQ(TempDir::read(out), expected + expected);
}

TEST(ProcessLauncherTest, AMissingExecutableIsAnErrorValue) {
    TempDir folder;
    const auto result = ProcessLauncher(folder / "missing", {"missing"}).start();
    EXPECT_FALSE(result.started());
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_EQ(result.processIdentifier, 0);
}

TEST(ProcessLauncherTest, TheOwnProgramIsThisExecutableWithItsArguments) {
    const char* argv[] = {"tests/PlatformTests", "--gtest_filter=-*", nullptr};
    const auto own = ProcessLauncher::ownProgram(2, argv);
    EXPECT_EQ(own.arguments(), (std::vector<std::string>{"tests/PlatformTests", "--gtest_filter=-*"}));
    EXPECT_TRUE(std::filesystem::equivalent(own.executable(), "/proc/self/exe"));
    // It really starts: this test program, running none of its tests.
    const auto result = own.start();
    ASSERT_TRUE(result.started()) << result.error;
    EXPECT_EQ(exitStatus(result), 0);
}

} // namespace PELLACOR_TEST_FILE
