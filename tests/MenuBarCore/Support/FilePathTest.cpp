#include "MenuBarCore/Support/FilePath.h"

#include "Support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using pellacor::core::isWithinFolder;
using pellacor::core::standardizedPath;

TEST(FilePathTest, EverySpellingOfAPlaceIsTheSame) {
    pellacor::testing::TempDir dir;
    std::filesystem::create_directories(dir / "real/inner");
    std::filesystem::create_directory_symlink(dir / "real", dir / "link");
    const auto real = standardizedPath(dir / "real");
    for (const auto& spelling :
         {dir / "real/", dir / "real/.", dir / "real/inner/..", dir / "link", dir / "link/"}) {
        EXPECT_EQ(standardizedPath(spelling), real) << spelling;
    }
    // A place that does not exist yet keeps its spelling, normalised.
    EXPECT_EQ(standardizedPath(dir / "real/missing/../other/"), real / "other");
}

TEST(FilePathTest, WithinFolderFollowsLinksAndComponents) {
    pellacor::testing::TempDir dir;
    std::filesystem::create_directories(dir / "box/sub");
    std::filesystem::create_directories(dir / "boxes");
    std::filesystem::create_directory_symlink(dir / "box/sub", dir / "shortcut");
    EXPECT_TRUE(isWithinFolder(dir / "box", dir / "box"));
    EXPECT_TRUE(isWithinFolder(dir / "box/sub/file", dir / "box"));
    EXPECT_TRUE(isWithinFolder(dir / "shortcut/file", dir / "box"));
    EXPECT_FALSE(isWithinFolder(dir / "boxes", dir / "box")); // a longer name is not inside
    EXPECT_FALSE(isWithinFolder(dir / "box/../boxes", dir / "box"));
}

} // namespace PELLACOR_TEST_FILE
