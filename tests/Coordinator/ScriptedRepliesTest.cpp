#include "Support/ScriptedReplies.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;

// The replies every fake of the coordinator's services gives: the interleavings
// the coordinator's tests build rest on them.
class ScriptedRepliesTest : public ::testing::Test {
protected:
    static concurrency::Task<void> call(ScriptedReplies<int>* replies, int fallback,
                                        std::vector<int>* answers) {
        auto answer = co_await replies->next(fallback);
        answers->push_back(answer);
    }
    void spawnCall(int fallback = 0) { concurrency::spawn(executor, call(&replies, fallback, &answers)); }

    concurrency::ManualExecutor executor;
    ScriptedReplies<int> replies{executor};
    std::vector<int> answers;
};

TEST_F(ScriptedRepliesTest, UnscriptedCallsAnswerTheFallbackAtOnce) {
    spawnCall(7);
    executor.runUntilIdle();
    EXPECT_EQ(answers, std::vector<int>{7});
}

TEST_F(ScriptedRepliesTest, ScriptsAreTakenInOrderByTheCalls) {
    replies.immediate(1);
    replies.dueAt(concurrency::Instant{} + 3s, 2);
    replies.hold();
    spawnCall();
    spawnCall();
    spawnCall();
    spawnCall(9);
    executor.runUntilIdle();
    EXPECT_EQ(answers, (std::vector<int>{1, 9}));
    executor.advanceBy(3s - 1ns);
    EXPECT_EQ(answers, (std::vector<int>{1, 9}));
    executor.advanceBy(1ns);
    EXPECT_EQ(answers, (std::vector<int>{1, 9, 2}));
    EXPECT_EQ(replies.waitingCount(), 1U);
    EXPECT_TRUE(replies.release(3));
    EXPECT_EQ(answers.size(), 3U); // the caller resumes on a later turn
    executor.runUntilIdle();
    EXPECT_EQ(answers, (std::vector<int>{1, 9, 2, 3}));
    EXPECT_FALSE(replies.release(4));
}

TEST_F(ScriptedRepliesTest, HeldCallsCanBeAnsweredNewestFirst) {
    replies.hold();
    replies.hold();
    spawnCall();
    spawnCall();
    executor.runUntilIdle();
    ASSERT_EQ(replies.waitingCount(), 2U);
    replies.releaseNewest(20);
    executor.runUntilIdle();
    replies.release(10);
    executor.runUntilIdle();
    EXPECT_EQ(answers, (std::vector<int>{20, 10}));
}

TEST_F(ScriptedRepliesTest, HeldCallsCanBeAnsweredInAnyOrder) {
    for (int i = 0; i < 3; ++i) {
        replies.hold();
        spawnCall();
    }
    executor.runUntilIdle();
    // The waiting calls close up after each answer: the third call is then second.
    EXPECT_TRUE(replies.releaseAt(1, 2));
    EXPECT_TRUE(replies.releaseAt(1, 3));
    EXPECT_FALSE(replies.releaseAt(1, 9));
    EXPECT_TRUE(replies.releaseAt(0, 1));
    executor.runUntilIdle();
    EXPECT_EQ(answers, (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(replies.waitingCount(), 0U);
}

// A fake that goes away with a call still held must not leave its caller
// waiting for ever: the call answers the fallback, as an unscripted one would.
TEST_F(ScriptedRepliesTest, AHeldCallNeverReleasedAnswersTheFallbackWhenTheRepliesGoAway) {
    auto held = std::make_unique<ScriptedReplies<int>>(executor);
    held->hold();
    concurrency::spawn(executor, call(held.get(), 5, &answers));
    executor.runUntilIdle();
    EXPECT_TRUE(answers.empty());
    held.reset();
    executor.runUntilIdle();
    EXPECT_EQ(answers, std::vector<int>{5});
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
