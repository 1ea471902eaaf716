#include "MenuBarSystem/Private/LayoutFolder.h"

#include "Support/LayoutHome.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::system;
using pellacor::testing::LayoutHome;

namespace {

class LayoutFolderTest : public ::testing::Test {
protected:
    LayoutHome layout;
    LayoutFolder folder{layout.fileManager};
};

TEST_F(LayoutFolderTest, IsTheMenuBarsGroupContainerInTheHomeFolder) {
    EXPECT_EQ(folder.url(), layout.home() / "Library/Group Containers/com.apple.MenuBar");
    // Worked out once: a later change of home does not move it, for this folder or its copies.
    const LayoutFolder copy = folder;
    layout.desktop->setHomeFolder("/elsewhere");
    EXPECT_EQ(folder.url(), layout.home() / "Library/Group Containers/com.apple.MenuBar");
    EXPECT_EQ(copy.url(), folder.url());
}

TEST_F(LayoutFolderTest, RecognisesTheFolderByAnySpelling) {
    const auto url = folder.url();
    std::filesystem::create_directories(url / "Library");
    std::filesystem::create_directory_symlink(url, layout.home() / "link");
    std::filesystem::create_directory_symlink(layout.home() / "Library", layout.home() / "library-link");

    struct Case {
        std::filesystem::path path;
        bool isFolder;
    };
    const std::vector<Case> cases = {
        {url, true},
        {url.string() + "/", true},
        {url / ".", true},
        {url.string() + "/./", true},
        {url / "Library" / "..", true},
        {layout.home() / "link", true},
        {layout.home() / "link/", true},
        {layout.home() / "library-link/Group Containers/com.apple.MenuBar", true},
        {url.parent_path(), false},
        {url / "Library", false},
        {layout.home() / "Library/Group Containers/com.apple.MenuBarX", false},
        {layout.home(), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folder.isLayoutFolder(c.path), c.isFolder) << c.path;
    }
}

TEST(LayoutFolderMissingTest, TrailingComponentsDoNotMatterWhenTheFolderDoesNotExistEither) {
    LayoutHome layout;
    LayoutFolder folder(layout.fileManager);
    ASSERT_FALSE(std::filesystem::exists(folder.url()));
    EXPECT_TRUE(folder.isLayoutFolder(folder.url().string() + "/"));
    EXPECT_TRUE(folder.isLayoutFolder(folder.url() / "."));
    EXPECT_FALSE(folder.isLayoutFolder(folder.url().parent_path()));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
