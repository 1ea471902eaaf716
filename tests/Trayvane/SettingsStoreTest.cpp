#include "Trayvane/Settings/SettingsStore.h"

#include "Concurrency/ManualExecutor.h"
#include "Support/LogCapture.h"
#include "Support/StoragePrinters.h"
#include "Support/TempDir.h"
#include "Trayvane/Settings/ProfileEditor.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SettingsStore;
using core::Profile;
using core::Section;
using core::StoredState;
using core::Uuid;

namespace {

const std::string newerText = "新しいバージョンのアプリが書いた保存なので、変えた振り分けは保存しません"
                              "（ファイルはそのまま残しています）。";
const std::string unreadableText = "保存のファイルが読めないので、変えた振り分けは保存しません"
                                   "（ファイルはそのまま残しています）。";
const std::string saveFailedText =
    "振り分けを保存できませんでした。アプリを終了すると、変えた分は元に戻ります。";

// Two profiles, the second active, and a rule for it.
StoredState twoProfiles() {
    Profile work(Uuid::random(), "仕事", {{core::AppKey("com.example.chat"), Section::alwaysHidden}},
                 {core::AppKey("com.example.chat")}, Section::shown);
    StoredState state = StoredState::initial();
    state.profiles.push_back(work);
    state.activeProfileID = work.id();
    state.rules.emplace_back(Uuid::random(), "com.example.editor", core::AppRule::Condition::running,
                             work.id());
    return state;
}

struct SettingsStoreTest : ::testing::Test {
    pellacor::testing::TempDir dir;
    std::filesystem::path file = dir / "Trayvane/state.json";
    pellacor::testing::LogCapture log;

    void writeFile(const std::string& bytes) const { dir.write("Trayvane/state.json", bytes); }
    std::string fileBytes() const { return pellacor::testing::TempDir::read(file); }
    std::shared_ptr<SettingsStore> open() const { return std::make_shared<SettingsStore>(core::Store(file)); }

    std::vector<std::string> lines() const { return log.lines("app"); }
    // The one profile a newer or unreadable file leaves the program with.
    static void expectShowEverything(const StoredState& state) {
        ASSERT_EQ(state.profiles.size(), 1u);
        EXPECT_EQ(state.version, 1);
        EXPECT_EQ(state.profiles[0].name, "ふだん");
        EXPECT_EQ(state.profiles[0].newItemSection, Section::shown);
        EXPECT_TRUE(state.profiles[0].sections.empty());
        EXPECT_TRUE(state.profiles[0].order.empty());
        EXPECT_EQ(state.activeProfileID, state.profiles[0].id());
        EXPECT_TRUE(state.rules.empty());
        EXPECT_EQ(state.ruleTracker, std::nullopt);
    }
};

} // namespace

TEST_F(SettingsStoreTest, NoFileRunsOnTheInitialDocumentAndWritesNothingYet) {
    const auto store = open();
    ASSERT_EQ(store->state().profiles.size(), 1u);
    EXPECT_EQ(store->state().profiles[0].name, "ふだん");
    EXPECT_EQ(store->state().profiles[0].newItemSection, Section::hidden);
    EXPECT_EQ(store->activeProfile(), store->state().profiles[0]);
    EXPECT_EQ(store->saveBlock(), std::nullopt);
    EXPECT_EQ(store->warning(), std::nullopt);
    EXPECT_EQ(lines(), std::vector<std::string>{"info: 保存がまだありません。初めの中身で動きます"});
    EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
}

TEST_F(SettingsStoreTest, AReadableDocumentIsTakenAsItIs) {
    const StoredState stored = twoProfiles();
    ASSERT_EQ(core::Store(file).save(stored), core::Store::SaveResult::saved());
    const auto store = open();
    EXPECT_EQ(store->state(), stored);
    EXPECT_EQ(store->activeProfile(), stored.profiles[1]);
    EXPECT_EQ(store->warning(), std::nullopt);
    EXPECT_TRUE(lines().empty());
}

TEST_F(SettingsStoreTest, ADocumentWithoutProfilesGetsTheEverydayProfileInMemoryOnly) {
    const std::string bytes = R"({"profiles": [], "rules": [], "version": 1})";
    writeFile(bytes);
    const auto store = open();
    ASSERT_EQ(store->state().profiles.size(), 1u);
    const Profile& added = store->state().profiles[0];
    EXPECT_EQ(added.name, "ふだん");
    EXPECT_EQ(added.newItemSection, Section::hidden);
    EXPECT_EQ(store->state().activeProfileID, added.id());
    EXPECT_EQ(store->saveBlock(), std::nullopt);
    EXPECT_EQ(store->warning(), std::nullopt);
    EXPECT_EQ(lines(),
              std::vector<std::string>{"error: 保存にプロファイルがありません。初めの中身を足します"});
    EXPECT_EQ(fileBytes(), bytes) << "the file changes only with the first saved edit";

    Profile edited = added;
    edited.newItemSection = Section::shown;
    EXPECT_TRUE(store->updateActive(edited));
    EXPECT_EQ(core::Store(file).load(), core::Store::LoadResult::loaded(store->state()));
}

TEST_F(SettingsStoreTest, ANewerOrDamagedFileShowsEverythingAndSaysItIsNotSaved) {
    struct Case {
        const char* name;
        std::string bytes;
        SettingsStore::SaveBlock block;
        std::string warning;
        std::string line;
    };
    const Case cases[] = {
        {"newer", R"({"profiles": [], "rules": [], "version": 2, "future": true})",
         SettingsStore::SaveBlock::newerVersion(2), newerText,
         "error: 保存は新しいバージョン（2）の形です。全部見せる中身で動きます（上書きしません）"},
        {"damaged", R"({"profiles": [{"id": "nope"}], "version": 1)", SettingsStore::SaveBlock::unreadable(),
         unreadableText, "error: 保存が読めません。全部見せる中身で動きます（保存は上書きしません）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.bytes);
        log.clear();
        const auto store = open();
        expectShowEverything(store->state());
        EXPECT_EQ(store->activeProfile(), store->state().profiles[0]);
        EXPECT_EQ(store->saveBlock(), c.block);
        EXPECT_EQ(store->warning(), c.warning);
        EXPECT_EQ(lines(), std::vector<std::string>{c.line});
        EXPECT_EQ(fileBytes(), c.bytes);
    }
}

TEST_F(SettingsStoreTest, ANewerOrDamagedFileStaysByteForByteThroughAnyNumberOfEdits) {
    for (const std::string& bytes :
         std::vector<std::string>{R"({"profiles": [], "rules": [], "version": 7})", "{\x01 broken"}) {
        SCOPED_TRACE(bytes);
        writeFile(bytes);
        struct stat before {};
        ASSERT_EQ(::stat(file.c_str(), &before), 0);
        const auto store = open();
        concurrency::ManualExecutor executor;
        app::ProfileEditor editor(store, std::make_shared<app::ProfilesModel>(), {}, {}, executor);

        for (int round = 0; round < 5; ++round) {
            EXPECT_TRUE(editor.edit(true, "追加", [&](StoredState& s) {
                return s.addProfile(fmt::format("p{}", round)).has_value();
            }));
            const Uuid first = store->state().profiles.front().id();
            EXPECT_TRUE(
                editor.edit(true, "切り替え", [&](StoredState& s) { return s.switchProfile(first); }));
            Profile changed = store->activeProfile();
            changed.assign(core::AppKey(fmt::format("com.example.app{}", round)), Section::hidden);
            EXPECT_FALSE(store->updateActive(changed)) << "not saved";
            EXPECT_EQ(store->activeProfile(), changed) << "but in effect";
        }
        executor.runUntilIdle();
        EXPECT_EQ(store->state().profiles.size(), 6u);
        EXPECT_FALSE(store->lastSaveFailed()) << "a blocked save is no failure";

        EXPECT_EQ(fileBytes(), bytes);
        struct stat after {};
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "not even replaced by an equal file";
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(pellacor::testing::TempDir::entries(file.parent_path()),
                  std::vector<std::string>{"state.json"});
    }
}

TEST_F(SettingsStoreTest, UpdateActiveReplacesTheStoredProfileWithItsIdAndRefusesAStrangerOne) {
    const StoredState stored = twoProfiles();
    ASSERT_EQ(core::Store(file).save(stored), core::Store::SaveResult::saved());
    const auto store = open();

    Profile first = stored.profiles[0];
    first.order = {core::AppKey("com.example.b"), core::AppKey("com.example.a")};
    EXPECT_TRUE(store->updateActive(first));
    EXPECT_EQ(store->state().profiles[0], first);
    EXPECT_EQ(store->state().activeProfileID, stored.activeProfileID) << "replacing does not switch";
    EXPECT_EQ(core::Store(file).load(), core::Store::LoadResult::loaded(store->state()));

    const std::string saved = fileBytes();
    const StoredState inMemory = store->state();
    log.clear();
    EXPECT_FALSE(store->updateActive(Profile(Uuid::random(), "よそ", {}, {}, Section::hidden)));
    EXPECT_EQ(store->state(), inMemory);
    EXPECT_EQ(fileBytes(), saved);
    EXPECT_EQ(lines(),
              std::vector<std::string>{"error: 保存に無いプロファイルの変更が届きました（足しません）"});
}

TEST_F(SettingsStoreTest, AFailedSaveIsLoggedAndWarnedAboutUntilASaveSucceeds) {
    // A file where the document's folder should be: the folder cannot be made.
    const auto blocked = dir.write("blocker", "not a folder");
    SettingsStore store(core::Store(blocked / "state.json"));
    log.clear();

    Profile changed = store.activeProfile();
    changed.newItemSection = Section::alwaysHidden;
    EXPECT_FALSE(store.updateActive(changed));
    EXPECT_TRUE(store.lastSaveFailed());
    EXPECT_EQ(store.warning(), saveFailedText);
    EXPECT_EQ(store.activeProfile(), changed) << "the edit stays in memory";
    EXPECT_EQ(lines(), std::vector<std::string>{"error: 保存できませんでした（FolderCreationError）"});

    std::filesystem::remove(blocked);
    changed.newItemSection = Section::shown;
    EXPECT_TRUE(store.updateActive(changed));
    EXPECT_FALSE(store.lastSaveFailed());
    EXPECT_EQ(store.warning(), std::nullopt);
    EXPECT_EQ(core::Store(blocked / "state.json").load(), core::Store::LoadResult::loaded(store.state()));
}

TEST_F(SettingsStoreTest, WithoutAnyProfileTheActiveOneIsAFreshFallbackEachTime) {
    const auto store = open();
    concurrency::ManualExecutor executor;
    app::ProfileEditor editor(store, std::make_shared<app::ProfilesModel>(), {}, {}, executor);
    ASSERT_TRUE(editor.edit(false, "テスト", [](StoredState& s) {
        s.profiles.clear();
        return true;
    }));
    const Profile a = store->activeProfile();
    const Profile b = store->activeProfile();
    EXPECT_EQ(a.name, "ふだん");
    EXPECT_EQ(a.newItemSection, Section::hidden);
    EXPECT_NE(a.id(), b.id());
    EXPECT_TRUE(editor.choices().empty());
    executor.runUntilIdle();
}

} // namespace PELLACOR_TEST_FILE
