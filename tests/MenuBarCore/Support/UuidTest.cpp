#include "MenuBarCore/Support/Uuid.h"

#include <gtest/gtest.h>
#include <set>
#include <unordered_set>

namespace PELLACOR_TEST_FILE {

using pellacor::core::Uuid;

TEST(UuidTest, TextIsUpperCaseAndParsesInAnyCase) {
    auto lower = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    auto mixed = Uuid::parse("E621e1F8-c36C-495A-93fc-0C247A3E6E5F");
    ASSERT_TRUE(mixed);
    EXPECT_EQ(*lower, *mixed);
}

TEST(UuidTest, RefusesMalformedText) {
    for (const char* bad :
         {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5",
          "E621E1F8-C36C-495A-93FC-0C247A3E6E5FF", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F",
          "E621E1F8-C36C-495A-93FC+0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
          "E621E1F-8C36C-495A-93FC-0C247A3E6E5F", " E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

TEST(UuidTest, RandomValuesAreVersionFourAndDistinct) {
    std::unordered_set<Uuid> seen;
    std::set<Uuid> ordered;
    for (int i = 0; i < 100; ++i) {
        auto id = Uuid::random();
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
        EXPECT_EQ(Uuid::parse(id.uuidString()), id);
        seen.insert(id);
        ordered.insert(id);
    }
    EXPECT_EQ(seen.size(), 100u);
    EXPECT_EQ(ordered.size(), 100u);
    EXPECT_LT(*Uuid::parse("00000000-0000-0000-0000-000000000001"),
              *Uuid::parse("00000000-0000-0000-0000-000000000002"));
}

} // namespace PELLACOR_TEST_FILE
