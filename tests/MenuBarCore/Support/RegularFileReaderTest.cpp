#include "MenuBarCore/Support/RegularFileReader.h"

#include "MenuBarCore/Storage/Store.h"
#include "Support/LogCapture.h"
#include "Support/OddFiles.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pellacor::core {
namespace PELLACOR_TEST_FILE {
namespace {

using testing::LogCapture;
using testing::TempDir;
using Status = RegularFileReader::Result::Status;

TEST(RegularFileReaderTest, ReadsARegularFileAndALinkToOneWithinTheBound) {
    TempDir temp;
    const auto file = temp.write("a.txt", "hello");
    std::filesystem::create_symlink(file, temp / "link");
    for (const auto& path : {file, temp / "link"}) {
        const auto result = RegularFileReader::read(path, 5);
        EXPECT_EQ(result.status, Status::ok) << path;
        EXPECT_EQ(result.content, "hello") << path;
    }
    EXPECT_EQ(RegularFileReader::read(temp / "absent", 5).status, Status::missing);
    std::filesystem::create_symlink(temp / "absent", temp / "dangling");
    EXPECT_EQ(RegularFileReader::read(temp / "dangling", 5).status, Status::missing);
    EXPECT_EQ(RegularFileReader::read(file, 4).status, Status::unreadable) << "one byte over the bound";
}

// Each of these used to be read until the allocation failed, or to hang the
// open for ever; now each is refused at once, and the log says which file.
TEST(RegularFileReaderTest, RefusesDevicesFifosFoldersAndHugeFilesWithoutWaiting) {
    TempDir temp;
    LogCapture log;
    for (const auto& odd : testing::makeOddFiles(temp, "file")) {
        SCOPED_TRACE(odd.label);
        const auto result = RegularFileReader::read(odd.path, std::size_t{32} * 1024 * 1024);
        EXPECT_EQ(result.status, Status::unreadable);
        EXPECT_TRUE(result.content.empty());
        EXPECT_FALSE(result.reason.empty());
        const auto lines = log.matching(odd.path.string());
        ASSERT_EQ(lines.size(), 1U);
        EXPECT_EQ(lines.front().level, LogLevel::error);
        log.clear();
    }
}

TEST(RegularFileReaderTest, AStateDocumentThatIsNoRegularFileLoadsAsUnreadableAndIsNeverReplaced) {
    TempDir temp;
    for (const auto& odd : testing::makeOddFiles(temp, "state.json")) {
        SCOPED_TRACE(odd.label);
        struct stat before {};
        ASSERT_EQ(::lstat(odd.path.c_str(), &before), 0);
        Store store(odd.path);
        EXPECT_EQ(store.load().kind(), Store::LoadResult::Kind::unreadable);
        struct stat after {};
        ASSERT_EQ(::lstat(odd.path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::core
