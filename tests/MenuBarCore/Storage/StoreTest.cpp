#include "MenuBarCore/Storage/Store.h"

#include "MenuBarCore/Support/JsonCoding.h"
#include "Support/ModelPrinters.h"
#include "Support/OddFiles.h"
#include "Support/StoragePrinters.h"
#include "Support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;
using pellacor::testing::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string P1 = "11111111-1111-1111-1111-111111111111";
const std::string P2 = "22222222-2222-2222-2222-222222222222";
const std::string R1 = "33333333-3333-3333-3333-333333333333";

// A version-1 document with every member, written by hand in another member
// order and spacing than the store writes.
const std::string goodDocument = R"({
  "rules": [{"profileID": ")" + P2 +
                                 R"(", "condition": "frontmost", "appBundleID": "com.example.editor",
             "id": ")" + R1 + R"("}],
  "version": 1,
  "activeProfileID": ")" + P2 + R"(",
  "ruleTracker": {"activeRuleID": ")" +
                                 R1 + R"(", "baseProfileID": ")" + P1 + R"(", "overridden": false},
  "profiles": [
    {"id": ")" + P1 + R"(", "name": "ふだん", "sections": {}, "order": [], "newItemSection": "hidden"},
    {"id": ")" + P2 + R"(", "name": "仕事", "newItemSection": "alwaysHidden",
     "sections": {"com.example.chat": "hidden", "com.example.clock": "shown"},
     "order": ["com.example.clock", "com.example.chat"]}
  ],
  "somethingNewer": true
})";

StoredState goodState() {
    Profile first(*Uuid::parse(P1), "ふだん", {}, {}, Section::hidden);
    Profile work(
        *Uuid::parse(P2), "仕事",
        {{AppKey("com.example.chat"), Section::hidden}, {AppKey("com.example.clock"), Section::shown}},
        {AppKey("com.example.clock"), AppKey("com.example.chat")}, Section::alwaysHidden);
    AppRule rule(*Uuid::parse(R1), "com.example.editor", AppRule::Condition::frontmost, *Uuid::parse(P2));
    return StoredState{
        1, {first, work}, {rule}, *Uuid::parse(P2), RuleTracker(*Uuid::parse(R1), *Uuid::parse(P1), false)};
}

// A one-profile document whose members can be swapped in by text.
std::string document(const std::string& version, const std::string& extra = "",
                     const std::string& newItemSection = "hidden") {
    return R"({"version": )" + version + R"(, "rules": [], "profiles": [{"id": ")" + P1 +
           R"(", "name": "n", "sections": {}, "order": [], "newItemSection": ")" + newItemSection + "\"}]" +
           extra + "}";
}

StoredState oneProfile(std::optional<Uuid> active = std::nullopt,
                       std::optional<RuleTracker> tracker = std::nullopt) {
    return StoredState{1, {Profile(*Uuid::parse(P1), "n", {}, {}, Section::hidden)}, {}, active, tracker};
}

const std::string noVersion = "version が無い・JSON ではない";
const std::string badShape = "形が合わない（DecodeError）";

} // namespace

TEST(StoreTest, LoadReportsEveryOutcome) {
    using LR = Store::LoadResult;
    struct Case {
        const char* name;
        std::string contents;
        LR expected;
    };
    const std::vector<Case> cases{
        {"a good document", goodDocument, LR::loaded(goodState())},
        {"empty file", "", LR::unreadable(noVersion)},
        {"not JSON", "version: 1", LR::unreadable(noVersion)},
        {"JSON with trailing text", document("1") + " x", LR::unreadable(noVersion)},
        {"a JSON array", "[1]", LR::unreadable(noVersion)},
        {"no version", R"({"profiles": [], "rules": []})", LR::unreadable(noVersion)},
        {"version as text", R"({"version": "1"})", LR::unreadable(noVersion)},
        {"version 1.0", document("1.0"), LR::unreadable(noVersion)},
        {"version 1e0", document("1e0"), LR::unreadable(noVersion)},
        {"version null", document("null"), LR::unreadable(noVersion)},
        {"version beyond 63 bits", R"({"version": 9223372036854775808})", LR::unreadable(noVersion)},
        {"version beyond 64 bits", R"({"version": 18446744073709551616})", LR::unreadable(noVersion)},
        {"version 2 alone", R"({"version": 2})", LR::newerVersion(2)},
        {"version 7 with a wrong shape", R"({"version": 7, "profiles": 5})", LR::newerVersion(7)},
        {"largest version", R"({"version": 9223372036854775807})", LR::newerVersion(INT64_MAX)},
        {"version 0", R"({"version": 0})", LR::unreadable("version 0 から移せない")},
        {"version -1", document("-1"), LR::unreadable("version -1 から移せない")},
        {"version 1 alone", R"({"version": 1})", LR::unreadable(badShape)},
        {"capitalised section", document("1", "", "Hidden"), LR::unreadable(badShape)},
        {"profiles not an array", R"({"version": 1, "profiles": {}, "rules": []})", LR::unreadable(badShape)},
        {"active id not a UUID", document("1", R"(, "activeProfileID": "P1")"), LR::unreadable(badShape)},
        {"active id a number", document("1", R"(, "activeProfileID": 1)"), LR::unreadable(badShape)},
        {"a broken rule", R"({"version": 1, "profiles": [], "rules": [{"id": ")" + R1 + R"("}]})",
         LR::unreadable(badShape)},
        {"no activeProfileID", document("1"), LR::loaded(oneProfile())},
        {"activeProfileID null", document("1", R"(, "activeProfileID": null)"), LR::loaded(oneProfile())},
        {"ruleTracker null", document("1", R"(, "ruleTracker": null)"), LR::loaded(oneProfile())},
        // A damaged tracker costs the rules' memory, not the document: it reads
        // as a fresh tracker, present.
        {"ruleTracker a number", document("1", R"(, "ruleTracker": 5)"),
         LR::loaded(oneProfile(std::nullopt, RuleTracker()))},
        {"ruleTracker with wrong members", document("1", R"(, "ruleTracker": {"overridden": "x"})"),
         LR::loaded(oneProfile(std::nullopt, RuleTracker()))},
        {"no profiles", R"({"version": 1, "profiles": [], "rules": []})", LR::loaded(StoredState{1, {}, {}})},
        // A repeated member name: the last occurrence counts, in both passes.
        {"repeated version, last is 1", document("2", R"(, "version": 1)"), LR::loaded(oneProfile())},
        {"repeated version, last is 3", document("1", R"(, "version": 3)"), LR::newerVersion(3)},
        {"repeated active id",
         document("1", R"(, "activeProfileID": "bad", "activeProfileID": ")" + P1 + "\""),
         LR::loaded(oneProfile(*Uuid::parse(P1)))},
    };
    for (const auto& c : cases) {
        TempDir temp;
        auto file = temp.write("Trayvane/state.json", c.contents);
        EXPECT_EQ(Store(file).load(), c.expected) << c.name;
        EXPECT_EQ(TempDir::read(file), c.contents) << c.name << ": load must not touch the file";
        EXPECT_EQ(TempDir::entries(file.parent_path()), std::vector<std::string>{"state.json"}) << c.name;
    }
}

TEST(StoreTest, LoadedDocumentsKeepTheirMeaning) {
    TempDir temp;
    auto file = temp.write("state.json", document("1"));
    auto result = Store(file).load();
    ASSERT_EQ(result.kind(), Store::LoadResult::Kind::loaded);
    EXPECT_EQ(result.state()->activeProfile()->id(), *Uuid::parse(P1)) << "the first profile is active";

    file = temp.write("empty.json", R"({"version": 1, "profiles": [], "rules": []})");
    result = Store(file).load();
    ASSERT_EQ(result.kind(), Store::LoadResult::Kind::loaded);
    EXPECT_FALSE(result.state()->activeProfile().has_value());
}

TEST(StoreTest, LoadWithoutAFileIsMissing) {
    TempDir temp;
    EXPECT_EQ(Store(temp / "Trayvane/state.json").load(), Store::LoadResult::missing());
    EXPECT_FALSE(fs::exists(temp / "Trayvane")) << "load creates nothing";
    // A path that runs through a regular file has no file either.
    auto blocker = temp.write("plain", "x");
    EXPECT_EQ(Store(blocker / "state.json").load(), Store::LoadResult::missing());
}

TEST(StoreTest, LoadOfSomethingThatCannotBeReadSaysWhy) {
    TempDir temp;
    fs::create_directories(temp / "state.json");
    EXPECT_EQ(Store(temp / "state.json").load(), Store::LoadResult::unreadable("読めない（ReadError）"));
}

TEST(StoreTest, SaveThenLoadGivesTheSameDocument) {
    TempDir temp;
    Store store(temp / "deep/er/Trayvane/state.json");
    const std::vector<StoredState> states{goodState(), StoredState::initial(), StoredState{1, {}, {}},
                                          oneProfile(std::nullopt, RuleTracker())};
    for (const auto& state : states) {
        ASSERT_EQ(store.save(state), Store::SaveResult::saved());
        EXPECT_EQ(store.load(), Store::LoadResult::loaded(state));
        EXPECT_EQ(TempDir::entries(temp / "deep/er/Trayvane"), std::vector<std::string>{"state.json"});
    }
}

TEST(StoreTest, SaveWritesSortedPrettyJsonTheSameWayEveryTime) {
    TempDir temp;
    Store store(temp / "state.json");
    ASSERT_EQ(store.save(goodState()), Store::SaveResult::saved());
    auto first = TempDir::read(store.fileURL());
    ASSERT_EQ(store.save(goodState()), Store::SaveResult::saved());
    EXPECT_EQ(TempDir::read(store.fileURL()), first);

    EXPECT_EQ(first, R"({
  "activeProfileID": "22222222-2222-2222-2222-222222222222",
  "profiles": [
    {
      "id": "11111111-1111-1111-1111-111111111111",
      "name": "ふだん",
      "newItemSection": "hidden",
      "order": [],
      "sections": {}
    },
    {
      "id": "22222222-2222-2222-2222-222222222222",
      "name": "仕事",
      "newItemSection": "alwaysHidden",
      "order": [
        "com.example.clock",
        "com.example.chat"
      ],
      "sections": {
        "com.example.chat": "hidden",
        "com.example.clock": "shown"
      }
    }
  ],
  "ruleTracker": {
    "activeRuleID": "33333333-3333-3333-3333-333333333333",
    "baseProfileID": "11111111-1111-1111-1111-111111111111",
    "overridden": false
  },
  "rules": [
    {
      "appBundleID": "com.example.editor",
      "condition": "frontmost",
      "id": "33333333-3333-3333-3333-333333333333",
      "profileID": "22222222-2222-2222-2222-222222222222"
    }
  ],
  "version": 1
})");
}

TEST(StoreTest, TheInitialDocumentHasNoTracker) {
    TempDir temp;
    Store store(temp / "state.json");
    auto state = StoredState::initial();
    ASSERT_EQ(store.save(state), Store::SaveResult::saved());
    auto json = Json::parse(TempDir::read(store.fileURL()));
    EXPECT_EQ(json["version"], 1);
    EXPECT_EQ(json["activeProfileID"], state.profiles.front().id().uuidString());
    EXPECT_EQ(json["profiles"][0]["sections"], Json::object());
    EXPECT_EQ(json["rules"], Json::array());
    EXPECT_FALSE(json.contains("ruleTracker"));
}

TEST(StoreTest, SaveThatCannotMakeItsFolderFailsAndChangesNothing) {
    TempDir temp;
    auto blocker = temp.write("Trayvane", "a regular file where the folder should be");
    EXPECT_EQ(Store(blocker / "state.json").save(goodState()),
              Store::SaveResult::failed("FolderCreationError"));
    EXPECT_EQ(TempDir::read(blocker), "a regular file where the folder should be");
}

TEST(StoreTest, SaveOverAFolderIsRefusedAndLeavesNothingBehind) {
    TempDir temp;
    fs::create_directories(temp / "state.json/inside");
    EXPECT_EQ(Store(temp / "state.json").save(goodState()), Store::SaveResult::failed("TemporaryFileError"));
    EXPECT_TRUE(fs::is_directory(temp / "state.json/inside"));
    EXPECT_EQ(TempDir::entries(temp.path()), std::vector<std::string>{"state.json"});
}

namespace {
mode_t modeOf(const fs::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
} // namespace

// A user who keeps the document elsewhere through a link keeps the link; the
// target is replaced in its own folder and keeps its mode.
TEST(StoreTest, SaveThroughALinkReplacesItsTargetAndKeepsTheLink) {
    TempDir temp;
    const auto target = temp.write("elsewhere/real.json", "old");
    ::chmod(target.c_str(), 0640);
    fs::create_directories(temp / "Trayvane");
    fs::create_symlink("../elsewhere/real.json", temp / "Trayvane/state.json");
    ASSERT_EQ(Store(temp / "Trayvane/state.json").save(goodState()), Store::SaveResult::saved());
    EXPECT_TRUE(fs::is_symlink(temp / "Trayvane/state.json"));
    EXPECT_EQ(fs::read_symlink(temp / "Trayvane/state.json"), "../elsewhere/real.json");
    EXPECT_EQ(Store(temp / "Trayvane/state.json").load(), Store::LoadResult::loaded(goodState()));
    EXPECT_EQ(modeOf(target), 0640U);
    EXPECT_EQ(TempDir::entries(temp / "elsewhere"), std::vector<std::string>{"real.json"});
    EXPECT_EQ(TempDir::entries(temp / "Trayvane"), std::vector<std::string>{"state.json"});

    // A dangling link gets its target made, private to the user.
    fs::create_symlink("../elsewhere/new.json", temp / "Trayvane/other.json");
    ASSERT_EQ(Store(temp / "Trayvane/other.json").save(goodState()), Store::SaveResult::saved());
    EXPECT_TRUE(fs::is_symlink(temp / "Trayvane/other.json"));
    EXPECT_EQ(modeOf(temp / "elsewhere/new.json"), 0600U);
}

TEST(StoreTest, SaveNeverWidensTheMode) {
    TempDir temp;
    EXPECT_EQ(Store(temp / "fresh.json").save(goodState()), Store::SaveResult::saved());
    EXPECT_EQ(modeOf(temp / "fresh.json"), 0600U) << "no old file: private";
    for (const mode_t mode : {mode_t{0600}, mode_t{0400}, mode_t{0644}, mode_t{04600}}) {
        const auto file = temp.write("state.json", "old");
        ::chmod(file.c_str(), mode);
        EXPECT_EQ(Store(file).save(goodState()), Store::SaveResult::saved()) << mode;
        EXPECT_EQ(modeOf(file), mode & 0777) << mode;
    }
}

// Saving over a link to a device used to replace the link with a regular file
// carrying the device's mode (0666); nothing but a regular file is replaced.
TEST(StoreTest, SaveOverALinkToADeviceOrAFifoIsRefusedAndLeavesThemAsTheyWere) {
    TempDir temp;
    const auto devZeroMode = modeOf("/dev/zero");
    for (const auto& odd : pellacor::testing::makeOddFiles(temp, "state.json")) {
        if (std::string_view(odd.label) == "a 200 MB file") {
            continue;
        }
        SCOPED_TRACE(odd.label);
        struct stat before {};
        ASSERT_EQ(::lstat(odd.path.c_str(), &before), 0);
        EXPECT_EQ(Store(odd.path).save(goodState()), Store::SaveResult::failed("TemporaryFileError"));
        struct stat after {};
        ASSERT_EQ(::lstat(odd.path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    EXPECT_EQ(modeOf("/dev/zero"), devZeroMode);
    EXPECT_EQ(TempDir::entries(temp.path()).size(), 4U) << "no temporary left behind";
}

TEST(StoreTest, TextThatIsNotUtf8IsNotWritten) {
    TempDir temp;
    auto file = temp.write("state.json", "old");
    auto state = oneProfile();
    state.profiles.front().name = "bad \xff byte";
    EXPECT_EQ(Store(file).save(state), Store::SaveResult::failed("EncodingError"));
    EXPECT_EQ(TempDir::read(file), "old");
    EXPECT_EQ(TempDir::entries(temp.path()), std::vector<std::string>{"state.json"});
}

namespace {

// Saves in a child process that cannot write where root could: root may write
// into any folder, so the child gives up that privilege first. Answers the
// save's text form, or why the child could not report one.
std::string saveWithoutPrivileges(const fs::path& file, const StoredState& state) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t nobody = 65534;
        if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0)) {
            ::_exit(2);
        }
        std::ostringstream text;
        text << Store(file).save(state);
        const std::string answer = text.str();
        const bool written =
            ::write(channel[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
        ::_exit(written ? 0 : 3);
    }
    ::close(channel[1]);
    std::string answer;
    char buffer[256];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return "the child did not report";
    }
    return answer;
}

} // namespace

TEST(StoreTest, SaveIntoAFolderThatCannotBeWrittenFailsAndKeepsTheOldDocument) {
    TempDir temp;
    const auto folder = temp / "Trayvane";
    const auto file = folder / "state.json";
    ASSERT_EQ(Store(file).save(oneProfile()), Store::SaveResult::saved());
    const auto old = TempDir::read(file);

    using fs::perms;
    const auto readOnly = perms::owner_read | perms::owner_exec | perms::group_read | perms::group_exec |
                          perms::others_read | perms::others_exec;
    fs::permissions(temp.path(), readOnly | perms::owner_write);
    fs::permissions(file, perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
    fs::permissions(folder, readOnly);
    const auto answer = saveWithoutPrivileges(file, goodState());
    fs::permissions(folder, perms::owner_all);

    EXPECT_EQ(answer, "failed(TemporaryFileError)");
    EXPECT_EQ(TempDir::read(file), old);
    EXPECT_EQ(TempDir::entries(folder), std::vector<std::string>{"state.json"});
    EXPECT_EQ(Store(file).load(), Store::LoadResult::loaded(oneProfile()));
}

namespace {

// The real file system, with one chosen step made to fail. A failing write
// first writes half of its bytes, as a full disk would.
class FailingFileSystem final : public StoreFileSystem {
public:
    enum class Step { createTemporary, write, sync, close, rename };

    explicit FailingFileSystem(Step failing) : failing_(failing) {}

    bool fileExists(const fs::path& file) override { return real_->fileExists(file); }
    std::optional<std::string> readFile(const fs::path& file) override { return real_->readFile(file); }
    bool createDirectories(const fs::path& folder) override { return real_->createDirectories(folder); }
    std::optional<TemporaryFile> createTemporary(const fs::path& folder, std::string_view prefix) override {
        if (failing_ == Step::createTemporary) {
            return std::nullopt;
        }
        return real_->createTemporary(folder, prefix);
    }
    std::optional<fs::path> saveTarget(const fs::path& file) override { return real_->saveTarget(file); }
    bool copyMode(int descriptor, const fs::path& file) override { return real_->copyMode(descriptor, file); }
    void removeStaleTemporaries(const fs::path& folder, std::string_view prefix) override {
        real_->removeStaleTemporaries(folder, prefix);
    }
    bool write(int descriptor, std::string_view bytes) override {
        if (failing_ == Step::write) {
            (void)real_->write(descriptor, bytes.substr(0, bytes.size() / 2));
            return false;
        }
        return real_->write(descriptor, bytes);
    }
    bool sync(int descriptor) override { return failing_ != Step::sync && real_->sync(descriptor); }
    bool close(int descriptor) override {
        bool closed = real_->close(descriptor);
        return failing_ != Step::close && closed;
    }
    bool rename(const fs::path& from, const fs::path& to) override {
        return failing_ != Step::rename && real_->rename(from, to);
    }
    void remove(const fs::path& file) override { real_->remove(file); }
    void syncFolder(const fs::path& folder) override { real_->syncFolder(folder); }

private:
    Step failing_;
    std::shared_ptr<StoreFileSystem> real_ = StoreFileSystem::standard();
};

} // namespace

TEST(StoreTest, AnInterruptedSaveKeepsTheOldDocumentByteForByte) {
    using Step = FailingFileSystem::Step;
    struct Case {
        Step step;
        const char* reason;
    };
    const std::vector<Case> cases{
        {Step::createTemporary, "TemporaryFileError"},
        {Step::write, "WriteError"},
        {Step::sync, "SyncError"},
        {Step::close, "WriteError"},
        {Step::rename, "RenameError"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        TempDir temp;
        const auto file = temp / "Trayvane/state.json";
        ASSERT_EQ(Store(file).save(oneProfile()), Store::SaveResult::saved());
        const auto old = TempDir::read(file);

        Store failing(file, std::make_shared<FailingFileSystem>(c.step));
        EXPECT_EQ(failing.save(goodState()), Store::SaveResult::failed(c.reason));
        EXPECT_EQ(TempDir::read(file), old);
        EXPECT_EQ(TempDir::entries(file.parent_path()), std::vector<std::string>{"state.json"})
            << "the temporary file is removed";
        EXPECT_EQ(Store(file).load(), Store::LoadResult::loaded(oneProfile()));
    }
}

TEST(StoreTest, AnInterruptedFirstSaveLeavesNoDocument) {
    using Step = FailingFileSystem::Step;
    for (auto step : {Step::createTemporary, Step::write, Step::sync, Step::close, Step::rename}) {
        TempDir temp;
        const auto file = temp / "Trayvane/state.json";
        Store failing(file, std::make_shared<FailingFileSystem>(step));
        EXPECT_EQ(failing.save(goodState()).kind(), Store::SaveResult::Kind::failed);
        EXPECT_TRUE(TempDir::entries(file.parent_path()).empty());
        EXPECT_EQ(Store(file).load(), Store::LoadResult::missing());
    }
}

TEST(StoreTest, DefaultFileIsUnderTheDataHome) {
    struct Case {
        std::optional<std::string> xdgDataHome;
        std::optional<std::string> home;
        fs::path expected;
    };
    const std::vector<Case> cases{
        {"/data", "/home/u", "/data/Trayvane/state.json"},
        {std::nullopt, "/home/u", "/home/u/.local/share/Trayvane/state.json"},
        {"", "/home/u", "/home/u/.local/share/Trayvane/state.json"},
        {"relative/data", "/home/u", "/home/u/.local/share/Trayvane/state.json"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Store::defaultFileURL(c.xdgDataHome, c.home), c.expected)
            << c.xdgDataHome.value_or("<unset>");
    }
    EXPECT_EQ(Store::defaultFileURL().filename(), "state.json");
    EXPECT_EQ(Store::defaultFileURL().parent_path().filename(), "Trayvane");
}

} // namespace PELLACOR_TEST_FILE
