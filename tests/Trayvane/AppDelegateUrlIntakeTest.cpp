#include "ProgramRun.h"
#include "Support/LogCapture.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/Integrations/ExternalControl.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::AppDelegate;
using app::ExternalControl;
using pellacor::testing::Computer;
using pellacor::testing::ProgramRun;

namespace {

// What the URLs did, as the log tells it, in order; taken away once read.
std::vector<std::string> urlLines(pellacor::testing::LogCapture& log) {
    std::vector<std::string> lines;
    for (const auto& line : log.lines("app")) {
        if (line.find("外から（URL）") != std::string::npos) {
            lines.push_back(line);
        }
    }
    log.clear();
    return lines;
}

TEST(AppDelegateUrlIntakeTest, URLsBeforeTheEndOfStartUpWaitAndRunInArrivalOrder) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    pellacor::testing::LogCapture log;
    run.delegate = AppDelegate::create(run.environment, false);
    auto& delegate = *run.delegate;

    delegate.open({"pellacor://pause", "pellacor://reveal", "pellacor://collapse"});
    delegate.open(
        {"pellacor://reveal?all=1", "pellacor://resume", "pellacor://pause", "pellacor://collapse"});
    // The oldest five are kept, without a word about the rest.
    EXPECT_EQ(delegate.pendingURLs(),
              (std::vector<std::string>{"pellacor://pause", "pellacor://reveal", "pellacor://collapse",
                                        "pellacor://reveal?all=1", "pellacor://resume"}));
    EXPECT_EQ(urlLines(log), std::vector<std::string>{});
    EXPECT_EQ(ExternalControl::shared(), nullptr);

    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(ExternalControl::shared(), delegate.integrations().externalControl());
    EXPECT_TRUE(delegate.pendingURLs().empty());
    EXPECT_EQ(urlLines(log), (std::vector<std::string>{
                                 "default: 外から（URL）：一時停止",
                                 "default: 外から（URL）：出す",
                                 "default: 外から（URL）：しまう",
                                 "default: 外から（URL）：全部出す",
                                 "default: 外から（URL）：再開",
                             }));
}

TEST(AppDelegateUrlIntakeTest, SevenAtOnceRunFiveAndSaySo) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    pellacor::testing::LogCapture log;
    auto& delegate = run.launch();
    log.clear();
    std::vector<std::string> seven(7, "pellacor://collapse");
    seven[0] = "pellacor://pause";
    delegate.open(seven);
    const auto lines = urlLines(log);
    ASSERT_EQ(lines.size(), 6U);
    EXPECT_EQ(lines[0], "default: 外から（URL）一度に 7 本届いたので、頭の 5 本だけ動かします");
    EXPECT_EQ(lines[1], "default: 外から（URL）：一時停止");

    // Fewer reached the program than the delivery held: the count is the delivery's.
    delegate.open({"pellacor://collapse"}, 40);
    EXPECT_EQ(urlLines(log), (std::vector<std::string>{
                                 "default: 外から（URL）一度に 40 本届いたので、頭の 5 本だけ動かします",
                                 "default: 外から（URL）：しまう",
                             }));
}

TEST(AppDelegateUrlIntakeTest, AfterTerminationURLsAreQueuedAndNeverRun) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    pellacor::testing::LogCapture log;
    auto& delegate = run.launch();
    delegate.applicationWillTerminate();
    EXPECT_EQ(ExternalControl::shared(), nullptr);
    log.clear();
    delegate.open({"pellacor://reveal"});
    run.time->settle();
    EXPECT_EQ(urlLines(log), std::vector<std::string>{});
    EXPECT_EQ(delegate.pendingURLs(), std::vector<std::string>{"pellacor://reveal"});
    run.delegate.reset();
}

} // namespace

} // namespace PELLACOR_TEST_FILE
