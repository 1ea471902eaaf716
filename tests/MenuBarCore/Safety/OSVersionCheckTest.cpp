#include "MenuBarCore/Safety/OSVersionCheck.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using pellacor::core::OSVersionCheck;

TEST(OSVersionCheckTest, ComparesTextOnly) {
    struct Case {
        std::optional<std::string> confirmed;
        std::string current;
        OSVersionCheck expected;
    } cases[] = {
        {std::nullopt, "27.0.0", OSVersionCheck::firstRun()},
        {std::nullopt, "", OSVersionCheck::firstRun()},
        {std::string(), "27.0.0", OSVersionCheck::firstRun()},
        {"26.1.0", "27.0.0", OSVersionCheck::changed("26.1.0")},
        {"28.0.0", "27.0.0", OSVersionCheck::changed("28.0.0")},
        {"27.0.0", "27.0.0", OSVersionCheck::same()},
        {"27.0", "27.0.0", OSVersionCheck::changed("27.0")},
        {"anything", "27.0.0", OSVersionCheck::changed("anything")},
    };
    for (auto& c : cases) {
        EXPECT_EQ(OSVersionCheck::compare(c.confirmed, c.current), c.expected)
            << c.confirmed.value_or("<none>") << " vs " << c.current;
    }
}

TEST(OSVersionCheckTest, ChangedEqualityFollowsThePayload) {
    EXPECT_NE(OSVersionCheck::changed("26.1.0"), OSVersionCheck::changed("26.2.0"));
    EXPECT_EQ(OSVersionCheck::changed("26.1.0"), OSVersionCheck::changed("26.1.0"));
    EXPECT_NE(OSVersionCheck::firstRun(), OSVersionCheck::same());
    EXPECT_EQ(OSVersionCheck::compare("26.1.0", "27.0.0").from(), "26.1.0");
}

} // namespace PELLACOR_TEST_FILE
