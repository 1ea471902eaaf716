#include "MenuBarCore/Pressing/PressMemory.h"

#include <gtest/gtest.h>
#include <unordered_set>

namespace PELLACOR_TEST_FILE {
namespace {

using pellacor::core::PressMemory;
using pellacor::core::PressMethod;
using Order = std::vector<PressMethod>;

const Order defaultHidden{PressMethod::revealPress, PressMethod::hiddenPress};

TEST(PressMethodTest, RawValuesRoundTripAndNothingElseParses) {
    EXPECT_EQ(pellacor::core::allPressMethods,
              (std::array{PressMethod::direct, PressMethod::hiddenPress, PressMethod::revealPress,
                          PressMethod::liftPress}));
    for (PressMethod method : pellacor::core::allPressMethods) {
        EXPECT_EQ(pellacor::core::pressMethodFromRawValue(pellacor::core::rawValue(method)), method);
    }
    EXPECT_EQ(pellacor::core::rawValue(PressMethod::hiddenPress), "hiddenPress");
    EXPECT_EQ(pellacor::core::toString(PressMethod::liftPress), "liftPress");
    for (const char* text : {"", "Direct", "hiddenpress", "revealPress ", " liftPress", "lift", "DIRECT"}) {
        EXPECT_EQ(pellacor::core::pressMethodFromRawValue(text), std::nullopt) << '"' << text << '"';
    }
    std::unordered_set<PressMethod> set(pellacor::core::allPressMethods.begin(),
                                        pellacor::core::allPressMethods.end());
    EXPECT_EQ(set.size(), 4u);
}

TEST(PressMemoryTest, FreshMemoryOrders) {
    PressMemory memory;
    EXPECT_EQ(PressMemory::hiddenOrder(), defaultHidden);
    EXPECT_EQ(memory.order("com.example.a", false), Order{PressMethod::direct});
    EXPECT_EQ(memory.order("com.example.a", true), defaultHidden);
    EXPECT_EQ(memory.order("", true), defaultHidden);
    EXPECT_EQ(memory.remembered("com.example.a"), std::nullopt);
}

TEST(PressMemoryTest, OrdersAfterEachRecord) {
    // What is recorded for "a" (in turn), and the hidden order and memory that follow.
    struct Case {
        std::vector<PressMethod> recorded;
        Order hiddenOrder;
        std::optional<PressMethod> remembered;
    } cases[] = {
        {{PressMethod::hiddenPress},
         {PressMethod::hiddenPress, PressMethod::revealPress},
         PressMethod::hiddenPress},
        {{PressMethod::revealPress}, defaultHidden, PressMethod::revealPress},
        {{PressMethod::hiddenPress, PressMethod::revealPress}, defaultHidden, PressMethod::revealPress},
        {{PressMethod::revealPress, PressMethod::hiddenPress},
         {PressMethod::hiddenPress, PressMethod::revealPress},
         PressMethod::hiddenPress},
        {{PressMethod::direct}, defaultHidden, std::nullopt},
        {{PressMethod::liftPress}, defaultHidden, std::nullopt},
        // Ignored methods keep an earlier entry.
        {{PressMethod::hiddenPress, PressMethod::direct},
         {PressMethod::hiddenPress, PressMethod::revealPress},
         PressMethod::hiddenPress},
        {{PressMethod::hiddenPress, PressMethod::liftPress},
         {PressMethod::hiddenPress, PressMethod::revealPress},
         PressMethod::hiddenPress},
    };
    for (const auto& c : cases) {
        PressMemory memory;
        for (PressMethod method : c.recorded) {
            memory.record(method, "a");
        }
        SCOPED_TRACE(testing::PrintToString(c.recorded.size()) + " records ending in " +
                     pellacor::core::toString(c.recorded.back()));
        EXPECT_EQ(memory.order("a", true), c.hiddenOrder);
        EXPECT_EQ(memory.order("a", false), Order{PressMethod::direct});
        EXPECT_EQ(memory.remembered("a"), c.remembered);
        // Only the hidden methods ever stand in the table.
        for (const auto& [key, method] : memory.worked) {
            EXPECT_TRUE(method == PressMethod::hiddenPress || method == PressMethod::revealPress);
        }
    }
}

TEST(PressMemoryTest, ForgetAndEntriesArePerKey) {
    PressMemory memory;
    memory.record(PressMethod::hiddenPress, "a");
    memory.record(PressMethod::revealPress, "b");
    EXPECT_EQ(memory.order("b", true), defaultHidden);
    EXPECT_EQ(memory.order("c", true), defaultHidden);
    EXPECT_EQ(memory.order("A", true), defaultHidden) << "keys are case-sensitive";

    PressMemory before = memory;
    memory.forget("c");
    EXPECT_EQ(memory, before);

    memory.forget("a");
    EXPECT_NE(memory, before);
    EXPECT_EQ(memory.order("a", true), defaultHidden);
    EXPECT_EQ(memory.remembered("a"), std::nullopt);
    EXPECT_EQ(memory.remembered("b"), PressMethod::revealPress);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
