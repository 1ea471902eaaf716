#include "MenuBarCore/Support/Log.h"

#include "MenuBarCore/Support/Localized.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {
struct FlushCountingSink : LogSink {
    int writes = 0;
    int flushes = 0;
    void write(const LogRecord&) override { ++writes; }
    void flush() override { ++flushes; }
};
} // namespace

TEST(LogTest, RecordsCarrySubsystemCategoryAndLevel) {
    pellacor::testing::LogCapture capture;
    Log::press().info("押すために一時的に見せます（{}）", "com.example.one");
    Log("custom", "other.subsystem").error("x {}", 3);
    auto records = capture.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].subsystem, "app.trayvane.pellacor");
    EXPECT_EQ(records[0].category, "press");
    EXPECT_EQ(records[0].level, LogLevel::info);
    EXPECT_EQ(records[0].message, "押すために一時的に見せます（com.example.one）");
    EXPECT_EQ(records[1].subsystem, "other.subsystem");
    EXPECT_EQ(records[1].message, "x 3");
    EXPECT_TRUE(capture.contains("press", "押すために一時的に見せます（com.example.one）"));
}

TEST(LogTest, FaultIsFlushedBeforeReturning) {
    auto sink = std::make_shared<FlushCountingSink>();
    Log::addSink(sink);
    Log::watchdog().notice("ordinary");
    EXPECT_EQ(sink->flushes, 0);
    Log::watchdog().fault("hang");
    EXPECT_EQ(sink->writes, 2);
    EXPECT_EQ(sink->flushes, 1);
    Log::removeSink(sink);
    Log::app().fault("after removal");
    EXPECT_EQ(sink->writes, 2);
}

TEST(LogTest, ConcurrentWritersLoseNothing) {
    pellacor::testing::LogCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                Log::app().debug("{} {}", t, i);
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(capture.messages("app").size(), 800u);
}

TEST(LocalizedTest, ReturnsTheJapaneseText) {
    EXPECT_EQ(localized("一時停止"), "一時停止");
}

TEST(LogTest, StandardErrorSinkWritesOneLinePerRecordFromItsMinimumLevelOn) {
    StandardErrorSink sink(LogLevel::defaultLevel);
    ::testing::internal::CaptureStderr();
    sink.write(LogRecord{"app.trayvane.pellacor", "press", LogLevel::info, "dropped"});
    sink.write(LogRecord{"app.trayvane.pellacor", "press", LogLevel::defaultLevel, "一時的に見せます"});
    sink.write(LogRecord{"app.trayvane.pellacor", "watchdog", LogLevel::fault, "hang"});
    sink.flush();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "[app.trayvane.pellacor:press] default: 一時的に見せます\n"
              "[app.trayvane.pellacor:watchdog] fault: hang\n");
}

} // namespace PELLACOR_TEST_FILE
