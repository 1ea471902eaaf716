#include "Trayvane/Common/AppInfo.h"

#include "Platform/Simulated/SimulatedHostInfo.h"

#include <gtest/gtest.h>
#include <regex>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::AppInfo;
using platform::SimulatedHostInfo;

TEST(AppInfoTest, TheVersionLineNamesTheBuildOnlyWhenItSaysMore) {
    struct Case {
        std::string version;
        std::optional<std::string> build;
        std::string expected;
    };
    const Case cases[] = {
        {"1.2", "1.2", "バージョン 1.2"},       {"1.2", "45", "バージョン 1.2（ビルド 45）"},
        {"1.2", "", "バージョン 1.2"},          {"1.2", std::nullopt, "バージョン 1.2"},
        {"?", "7", "バージョン ?（ビルド 7）"},
    };
    for (const auto& c : cases) {
        for (bool localized : {false, true}) {
            SCOPED_TRACE(c.expected + (localized ? " (localized)" : ""));
            EXPECT_EQ(AppInfo::versionLine(c.version, c.build, localized), c.expected);
        }
    }
}

TEST(AppInfoTest, TheVersionAndBuildComeFromTheBuild) {
    EXPECT_TRUE(std::regex_match(AppInfo::version(), std::regex(R"(\d+\.\d+\.\d+)"))) << AppInfo::version();
    EXPECT_EQ(AppInfo::versionFrom(nullptr), "?");
    EXPECT_EQ(AppInfo::versionFrom("2.0"), "2.0");
    EXPECT_EQ(AppInfo::buildFrom(nullptr), std::nullopt);
    EXPECT_EQ(AppInfo::buildFrom("118"), "118");
}

TEST(AppInfoTest, TheSystemVersionAlwaysHasThreeParts) {
    EXPECT_EQ(AppInfo::osVersion(SimulatedHostInfo({27, 0, 0}, "Mac16,1")), "27.0.0");
    EXPECT_EQ(AppInfo::osVersion(SimulatedHostInfo({27, 12, 3}, "Mac16,1")), "27.12.3");
}

TEST(AppInfoTest, TheModelIsTheTextUpToItsFirstZeroByteRepairedOrAQuestionMark) {
    struct Case {
        std::string reported;
        std::string expected;
    };
    const Case cases[] = {
        {"Mac16,1", "Mac16,1"},
        {"", "?"},
        {std::string("Mac16,1\0junk", 12), "Mac16,1"},
        {std::string("\0Mac", 4), ""},
        {"Mac\xff"
         "16",
         "Mac\xEF\xBF\xBD"
         "16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(AppInfo::model(SimulatedHostInfo({27, 0, 0}, c.reported)), c.expected);
    }
}

} // namespace PELLACOR_TEST_FILE
