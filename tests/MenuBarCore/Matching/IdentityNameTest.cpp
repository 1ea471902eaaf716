#include "MenuBarCore/Matching/IdentityName.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using pellacor::core::IdentityName;

TEST(IdentityNameTest, UsableIdentifierKeepsOnlyDeveloperChosenNames) {
    struct Case {
        const char* label;
        std::optional<std::string> raw;
        bool usable;
    };
    const std::vector<Case> cases{
        {"absent", std::nullopt, false},
        {"empty", "", false},
        {"generated", "_NS:73", false},
        {"generated prefix only", "_NS:", false},
        {"generated, otherwise valid", "_NS:battery.item", false},
        {"NS prefix without colon", "_NS73", true},
        {"64 characters", std::string(64, 'a'), true},
        {"65 characters", std::string(65, 'a'), false},
        {"with a space", "battery item", false},
        {"with a tab", "battery\titem", false},
        {"reverse domain", "com.example.Battery-Item_2", true},
        {"single character", "x", true},
        {"non-ASCII letter", "com.example.café", false},
        {"full-width letter", "ａｂｃ", false},
        {"slash", "com/example", false},
        {"colon", "menu:extra", false},
        {"embedded NUL", std::string("ab\0cd", 5), false},
    };
    for (const auto& c : cases) {
        auto result = IdentityName::usableIdentifier(c.raw);
        if (c.usable) {
            EXPECT_EQ(result, c.raw) << c.label;
        } else {
            EXPECT_EQ(result, std::nullopt) << c.label;
        }
    }
}
