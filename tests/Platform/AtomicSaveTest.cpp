// The two savers that replace a file whole, the state document's store and the
// property-list writer, under what a real file system does to them: a process
// killed in the middle, temporaries left behind, files with their own modes.

#include "MenuBarCore/Storage/Store.h"
#include "Platform/PropertyListFile.h"
#include "Support/ForkedChild.h"
#include "Support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using pellacor::testing::ForkedChild;
using pellacor::testing::TempDir;
using platform::PropertyListFile;
using platform::PropertyListValue;
namespace fs = std::filesystem;

namespace {

// Two documents a saver switches between, and how to tell which one a file holds.
struct Saver {
    const char* name;
    const char* fileName;
    const char* temporaryPrefix;
    std::function<bool(const fs::path&, int document)> save;
    // 0 or 1 for the document the file holds; -1 for anything else.
    std::function<int(const fs::path&)> stored;
};

core::StoredState stateDocument(int which) {
    auto state = core::StoredState::initial();
    // The second document is the longer one.
    for (int i = 0; i < (which == 0 ? 1 : 10); ++i) {
        state.replaceActive(core::Profile(core::Uuid::random(), "profile " + std::to_string(i), {}, {},
                                          core::Section::hidden));
    }
    return state;
}

PropertyListValue::Dictionary propertyList(int which) {
    PropertyListValue::Dictionary table;
    for (int i = 0; i < (which == 0 ? 2 : 30); ++i) {
        table.emplace("status:com.example." + std::to_string(i) + "::Item-0", PropertyListValue::real(i));
    }
    return {{"TrailingItemPreferredPositions", PropertyListValue(table)},
            {"Other", PropertyListValue("kept")}};
}

std::vector<Saver> savers() {
    const std::vector<core::StoredState> states{stateDocument(0), stateDocument(1)};
    const std::vector<PropertyListValue::Dictionary> lists{propertyList(0), propertyList(1)};
    return {
        {"state document", "state.json", ".state.json.",
         [states](const fs::path& file, int which) {
             return core::Store(file).save(states[which]) == core::Store::SaveResult::saved();
         },
         [states](const fs::path& file) {
             const auto loaded = core::Store(file).load();
             for (int which : {0, 1}) {
                 if (loaded == core::Store::LoadResult::loaded(states[which])) {
                     return which;
                 }
             }
             return -1;
         }},
        {"property-list file", "com.apple.MenuBar.plist", "com.apple.MenuBar.plist.",
         [lists](const fs::path& file, int which) { return PropertyListFile::write(file, lists[which]); },
         [lists](const fs::path& file) {
             const auto read = PropertyListFile::read(file);
             for (int which : {0, 1}) {
                 if (read.status == PropertyListFile::ReadResult::Status::ok &&
                     read.dictionary == lists[which]) {
                     return which;
                 }
             }
             return -1;
         }},
    };
}

fs::perms modeOf(const fs::path& file) {
    return fs::status(file).permissions();
}

} // namespace

TEST(AtomicSaveTest, AKilledSaveLeavesTheOldOrTheNewFileAndTheNextSaveLeavesNoTemporary) {
    constexpr int trials = 150; // for each saver
    std::mt19937 random(20261210);
    for (const auto& saver : savers()) {
        SCOPED_TRACE(saver.name);
        TempDir dir;
        const auto file = dir / saver.fileName;
        // Kills fall within the child's first few saves, whatever this build's
        // speed and however busy the machine is now: the span follows the
        // latest save's time (a loaded disk makes a save many times slower).
        const auto timed = [&](int document) {
            const auto start = std::chrono::steady_clock::now();
            const bool saved = saver.save(file, document);
            const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start);
            return saved ? std::optional(took.count()) : std::nullopt;
        };
        ASSERT_TRUE(timed(1));
        const auto first = timed(0);
        ASSERT_TRUE(first);
        std::int64_t span = *first * 4;
        int leftovers = 0;
        for (int trial = 0; trial < trials; ++trial) {
            // The child saves the two documents by turns until it is killed.
            const auto delay = std::chrono::microseconds(
                std::uniform_int_distribution<std::int64_t>(0, std::min<std::int64_t>(span, 50'000))(random));
            ASSERT_TRUE(ForkedChild::killAfter([&] { saver.save(file, 1); },
                                               [&] {
                                                   for (int i = 0; i < 100'000; ++i) {
                                                       saver.save(file, i % 2);
                                                   }
                                               },
                                               delay));

            const int found = saver.stored(file);
            ASSERT_TRUE(found == 0 || found == 1) << "trial " << trial << ": neither document";
            leftovers += TempDir::entries(dir.path()).size() > 1 ? 1 : 0;
            const auto again = timed(found);
            ASSERT_TRUE(again);
            span = *again * 4;
            ASSERT_EQ(TempDir::entries(dir.path()), std::vector<std::string>{saver.fileName})
                << "trial " << trial << ": a temporary is left after the next save";
            ASSERT_EQ(saver.stored(file), found);
        }
        EXPECT_GT(leftovers, 0) << "no kill landed inside a save";
    }
}

TEST(AtomicSaveTest, OnlyTheSaversOwnStaleTemporariesAreRemoved) {
    for (const auto& saver : savers()) {
        SCOPED_TRACE(saver.name);
        TempDir dir;
        const std::string prefix = saver.temporaryPrefix;
        const std::vector<std::string> stale{prefix + "Ab12Cd", prefix + "zzzzzz"};
        const std::vector<std::string> kept{prefix + "Ab12C",    prefix + "Ab12Cd.bak", prefix + "Ab-2Cd",
                                            "other.json.Ab12Cd", "notes.txt",           prefix + "Held00",
                                            prefix + "Folder"};
        for (const auto& name : stale) {
            dir.write(name, "half a document");
        }
        for (const auto& name : kept) {
            dir.write(name, "not ours");
        }
        fs::remove(dir / (prefix + "Folder"));
        fs::create_directory(dir / (prefix + "Folder"));
        // A save still in progress (in this process or another) holds its temporary locked.
        const int held = ::open((dir / (prefix + "Held00")).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);

        ASSERT_TRUE(saver.save(dir / saver.fileName, 0));
        ::close(held);

        auto expected = kept;
        expected.push_back(saver.fileName);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(TempDir::entries(dir.path()), expected);
    }
}

TEST(AtomicSaveTest, AReplacedFileKeepsItsMode) {
    using fs::perms;
    for (const auto& saver : savers()) {
        SCOPED_TRACE(saver.name);
        TempDir dir;
        const auto file = dir / saver.fileName;
        ASSERT_TRUE(saver.save(file, 0));
        EXPECT_EQ(modeOf(file), perms::owner_read | perms::owner_write) << "a new file is private";
        for (auto mode : {perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
                          perms::owner_read | perms::owner_write | perms::group_read | perms::group_write}) {
            fs::permissions(file, mode);
            ASSERT_TRUE(saver.save(file, 1));
            EXPECT_EQ(modeOf(file), mode);
            EXPECT_EQ(saver.stored(file), 1);
        }
    }
}

} // namespace PELLACOR_TEST_FILE
