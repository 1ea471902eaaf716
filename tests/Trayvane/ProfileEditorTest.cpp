#include "Trayvane/Settings/ProfileEditor.h"

#include "Support/CoordinatorFixture.h"
#include "Support/ForkedChild.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <random>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ProfileChoice;
using app::ProfileEditor;
using app::ProfilesModel;
using app::SectionsModel;
using app::SettingsStore;
using core::AppKey;
using core::Profile;
using core::Section;
using core::StoredState;
using core::Uuid;

namespace {

const std::string saveFailedText =
    "振り分けを保存できませんでした。アプリを終了すると、変えた分は元に戻ります。";

// The editor over a stored document, with a coordinator that is still
// starting (so an order request waits, and `deferredOrder` shows which one
// came), the profile bar's and the sections page's models, and its callbacks
// and the models' notices recorded in the fixture's events.
struct ProfileEditorTest : pellacor::testing::CoordinatorFixture {
    pellacor::testing::TempDir dir;
    std::filesystem::path file = dir / "Trayvane/state.json";
    Profile everyday{
        Uuid::random(), "ふだん", {{AppKey("com.example.chat"), Section::hidden}}, {}, Section::hidden};
    Profile work{Uuid::random(),
                 "仕事",
                 {{AppKey("com.example.mail"), Section::shown}},
                 {AppKey("com.example.chat"), AppKey("com.example.mail")},
                 Section::shown};
    Profile quiet{Uuid::random(), "静か", {}, {}, Section::alwaysHidden};

    std::shared_ptr<SettingsStore> store;
    std::shared_ptr<ProfilesModel> profiles = std::make_shared<ProfilesModel>();
    std::shared_ptr<SectionsModel> sections;
    std::unique_ptr<ProfileEditor> editor;
    pellacor::core::Subscription profilesSeen;
    pellacor::core::Subscription sectionsSeen;

    StoredState document() const {
        return StoredState(StoredState::currentVersion, {everyday, work, quiet}, {}, everyday.id());
    }
    void open(std::optional<StoredState> stored) {
        if (stored) {
            ASSERT_EQ(core::Store(file).save(*stored), core::Store::SaveResult::saved());
        }
        openStore(std::make_shared<SettingsStore>(core::Store(file)));
    }
    void openStore(std::shared_ptr<SettingsStore> opened) {
        store = std::move(opened);
        build();
        sections = std::make_shared<SectionsModel>(store->activeProfile(), selfID);
        editor = std::make_unique<ProfileEditor>(store, profiles, sections, coordinator, executor);
        profiles->setChoices(editor->choices());
        editor->onActiveChange = [this] { events.emplace_back("activeChange"); };
        editor->onEdited = [this] { events.emplace_back("edited"); };
        profilesSeen =
            profiles->observers.observe([this](ProfilesModel::Property) { events.emplace_back("choices"); });
        sectionsSeen = sections->observers.observe([this](SectionsModel::Property p) {
            events.emplace_back(p == SectionsModel::Property::profile       ? "sections.profile"
                                : p == SectionsModel::Property::saveWarning ? "sections.saveWarning"
                                                                            : "sections.rows");
        });
        take();
    }

    bool switchTo(const Uuid& id, bool byUser = true) {
        return editor->edit(byUser, "切り替え", [id](StoredState& s) { return s.switchProfile(id); });
    }
    // The events, after letting any order task run.
    std::vector<std::string> settle() {
        executor.runUntilIdle();
        return take();
    }
    const Profile& coordinatorProfile() { return Probe::profile(*coordinator); }
    std::optional<bool> orderRequested() { return Probe::deferredOrder(*coordinator); }
};

} // namespace

TEST_F(ProfileEditorTest, ABodyThatChangesNothingLeavesEverythingAsItWas) {
    open(document());
    const std::string bytes = pellacor::testing::TempDir::read(file);
    const StoredState before = store->state();
    EXPECT_FALSE(switchTo(everyday.id()));
    EXPECT_FALSE(
        editor->edit(true, "名前の変更", [&](StoredState& s) { return s.renameProfile(work.id(), "仕事"); }));
    EXPECT_EQ(settle(), std::vector<std::string>{}) << "no log line, no callback, no model notice";
    EXPECT_EQ(store->state(), before);
    EXPECT_EQ(pellacor::testing::TempDir::read(file), bytes);
    EXPECT_EQ(orderRequested(), std::nullopt);
}

TEST_F(ProfileEditorTest, TheFirstEditWritesTheFileThatWasMissing) {
    open(std::nullopt);
    ASSERT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(editor->edit(true, "追加", [](StoredState& s) { return s.addProfile("外出").has_value(); }));
    EXPECT_EQ(core::Store(file).load(), core::Store::LoadResult::loaded(store->state()));
    EXPECT_EQ(store->state().profiles.size(), 2u);
}

TEST_F(ProfileEditorTest, ASwitchSavesLogsAndBringsEveryViewAndTheCoordinatorToTheNewProfile) {
    open(document());
    EXPECT_TRUE(switchTo(work.id()));
    EXPECT_EQ(settle(),
              (std::vector<std::string>{
                  "log(info) プロファイルの切り替え：3 個",
                  "choices",
                  "sections.profile",
                  "sections.rows",
                  "activeChange",
                  "edited",
                  "log(info) 並べ替え：いまは書きません（状態 starting）。書いてよい状態に戻ったら書きます",
              }));
    EXPECT_EQ(core::Store(file).load(), core::Store::LoadResult::loaded(store->state()));
    EXPECT_EQ(profiles->choices(),
              (std::vector<ProfileChoice>{
                  {everyday.id(), "ふだん", false}, {work.id(), "仕事", true}, {quiet.id(), "静か", false}}));
    EXPECT_EQ(sections->profile(), work);
    ASSERT_EQ(sections->rows().size(), 1u) << "rebuilt over the new profile's applications";
    EXPECT_EQ(sections->rows().front().app, AppKey("com.example.mail"));
    EXPECT_EQ(sections->saveWarning(), std::nullopt);
    EXPECT_EQ(coordinatorProfile(), work);
}

TEST_F(ProfileEditorTest, AnotherProfileBecomingActiveWritesItsOrderImposedOnlyWhenItHasADifferentOne) {
    struct Case {
        const char* name;
        std::vector<AppKey> fromOrder;
        std::vector<AppKey> toOrder;
        bool reordered;
    };
    const std::vector<AppKey> chatMail{AppKey("com.example.chat"), AppKey("com.example.mail")};
    const std::vector<AppKey> mailChat{AppKey("com.example.mail"), AppKey("com.example.chat")};
    const Case cases[] = {
        {"to an empty order", chatMail, {}, false},
        {"to another order", chatMail, mailChat, true},
        {"to the same order", chatMail, chatMail, false},
        {"from an empty order", {}, mailChat, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        everyday.order = c.fromOrder;
        work.order = c.toOrder;
        coordinator.reset();
        open(document());
        EXPECT_TRUE(switchTo(work.id()));
        EXPECT_EQ(orderRequested(), std::nullopt) << "the order is written in a task of its own";
        executor.runUntilIdle();
        EXPECT_EQ(orderRequested(), c.reordered);
        EXPECT_EQ(coordinatorProfile(), work);
    }
}

TEST_F(ProfileEditorTest, RenamingTheActiveProfileHandsItOnButWritesNoOrder) {
    open(document());
    EXPECT_TRUE(editor->edit(true, "名前の変更",
                             [&](StoredState& s) { return s.renameProfile(everyday.id(), "平日"); }));
    EXPECT_EQ(settle(), (std::vector<std::string>{"log(info) プロファイルの名前の変更：3 個", "choices",
                                                  "sections.profile", "activeChange", "edited"}));
    EXPECT_EQ(coordinatorProfile().name, "平日");
    EXPECT_EQ(coordinatorProfile().id(), everyday.id());
    EXPECT_EQ(sections->profile().name, "平日");
    EXPECT_EQ(orderRequested(), std::nullopt);
}

TEST_F(ProfileEditorTest, AnEditThatLeavesTheActiveProfileAloneTouchesOnlyWhatChanged) {
    open(document());
    const Profile before = coordinatorProfile();
    EXPECT_TRUE(editor->edit(true, "ルールの追加", [&](StoredState& s) {
        return s.addRule("com.example.editor", core::AppRule::Condition::frontmost, quiet.id()).has_value();
    }));
    EXPECT_EQ(settle(), (std::vector<std::string>{"log(info) プロファイルのルールの追加：3 個", "edited"}))
        << "the choices are the same list, so the profile bar is not told";
    EXPECT_EQ(coordinatorProfile(), before);

    EXPECT_TRUE(
        editor->edit(true, "名前の変更", [&](StoredState& s) { return s.renameProfile(quiet.id(), "夜"); }));
    EXPECT_EQ(settle(),
              (std::vector<std::string>{"log(info) プロファイルの名前の変更：3 個", "choices", "edited"}));
    EXPECT_EQ(profiles->choices().at(2).name, "夜");
}

TEST_F(ProfileEditorTest, OnlyTheUsersOwnSwitchOverridesARuleInForce) {
    struct Case {
        const char* name;
        bool byUser;
        bool switches;
        bool overridden;
    };
    const Case cases[] = {
        {"the user switches", true, true, true},
        {"the rules switch", false, true, false},
        {"the user edits without switching", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoredState stored = document();
        const core::AppRule rule(Uuid::random(), "com.example.editor", core::AppRule::Condition::running,
                                 work.id());
        stored.rules = {rule};
        stored.activeProfileID = work.id();
        stored.ruleTracker = core::RuleTracker(rule.id(), everyday.id(), false);
        coordinator.reset();
        open(stored);
        if (c.switches) {
            EXPECT_TRUE(switchTo(quiet.id(), c.byUser));
        } else {
            EXPECT_TRUE(editor->edit(c.byUser, "名前の変更",
                                     [&](StoredState& s) { return s.renameProfile(work.id(), "仕事中"); }));
        }
        ASSERT_TRUE(store->state().ruleTracker);
        EXPECT_EQ(store->state().ruleTracker->overridden(), c.overridden);
        EXPECT_EQ(store->state().ruleTracker->activeRuleID(), rule.id());
        executor.runUntilIdle();
    }
}

TEST_F(ProfileEditorTest, AFailedSaveStillAnswersTrueUpdatesTheViewsAndWarns) {
    const auto blocked = dir.write("blocker", "not a folder");
    coordinator.reset();
    openStore(std::make_shared<SettingsStore>(core::Store(blocked / "state.json")));
    take();
    EXPECT_TRUE(editor->edit(true, "追加", [](StoredState& s) { return s.addProfile("外出").has_value(); }));
    const auto events = settle();
    EXPECT_EQ(events.front(), "log(error) 保存できませんでした（FolderCreationError）");
    EXPECT_EQ(events.at(1), "log(info) プロファイルの追加：2 個");
    EXPECT_EQ(profiles->choices().size(), 2u);
    EXPECT_EQ(profiles->choices().at(1).name, "外出");
    EXPECT_TRUE(profiles->choices().at(1).isActive);
    EXPECT_EQ(sections->saveWarning(), saveFailedText);
    EXPECT_EQ(coordinatorProfile().name, "外出");

    std::filesystem::remove(blocked);
    EXPECT_TRUE(switchTo(store->state().profiles.front().id()));
    EXPECT_EQ(sections->saveWarning(), std::nullopt) << "a later save that succeeds clears it";
    executor.runUntilIdle();
}

TEST_F(ProfileEditorTest, ABlockedDocumentStillEditsInMemoryAndShowsWhyItIsNotSaved) {
    dir.write("Trayvane/state.json", R"({"profiles": [], "rules": [], "version": 3})");
    open(std::nullopt);
    EXPECT_TRUE(editor->edit(true, "追加", [](StoredState& s) { return s.addProfile("外出").has_value(); }));
    EXPECT_EQ(sections->saveWarning(), store->warning());
    EXPECT_NE(sections->saveWarning(), std::nullopt);
    EXPECT_EQ(coordinatorProfile().name, "外出");
    executor.runUntilIdle();
}

TEST_F(ProfileEditorTest, TheChoicesNameTheUntouchedProfileAsShownAndMarkTheActiveOne) {
    everyday.name = "Default";
    open(document());
    EXPECT_EQ(editor->choices(),
              (std::vector<ProfileChoice>{
                  {everyday.id(), "ふだん", true}, {work.id(), "仕事", false}, {quiet.id(), "静か", false}}));
    StoredState stale = document();
    stale.activeProfileID = Uuid::random();
    coordinator.reset();
    open(stale);
    EXPECT_TRUE(editor->choices().front().isActive) << "a stale active id means the first profile";
}

TEST_F(ProfileEditorTest, AModelOrCoordinatorThatIsGoneIsSkipped) {
    open(document());
    sections.reset();
    coordinator.reset();
    EXPECT_TRUE(switchTo(work.id()));
    EXPECT_EQ(settle(), (std::vector<std::string>{"log(info) プロファイルの切り替え：3 個", "choices",
                                                  "activeChange", "edited"}));
    EXPECT_EQ(profiles->choices().at(1).isActive, true);
}

TEST_F(ProfileEditorTest, AKillDuringAnEditsSaveLeavesTheOldOrTheNewDocument) {
    open(document());
    ASSERT_TRUE(switchTo(work.id()));
    executor.runUntilIdle();
    const std::set<std::string> names{"仕事", "仕事（長い名前の方）"};
    // What the child edits with: a fresh store over the file, as a new launch would.
    concurrency::ManualExecutor childExecutor;
    std::unique_ptr<ProfileEditor> childEditor;
    int edits = 0;
    const auto renameOnce = [&] {
        const std::string name = edits++ % 2 == 0 ? "仕事（長い名前の方）" : "仕事";
        childEditor->edit(true, "名前の変更",
                          [&](StoredState& s) { return s.renameProfile(work.id(), name); });
    };
    // Kills fall within the child's first few edits, whatever this build's speed.
    const auto start = std::chrono::steady_clock::now();
    for (const char* name : {"仕事（長い名前の方）", "仕事", "仕事（長い名前の方）", "仕事"}) {
        ASSERT_TRUE(editor->edit(true, "名前の変更",
                                 [&](StoredState& s) { return s.renameProfile(work.id(), name); }));
    }
    const auto span =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count();
    std::mt19937 random(20261211);
    int trialsThatSaved = 0;
    int killedInsideASave = 0;
    // Until a few kills have landed inside a save, however slow this build's child is.
    for (int trial = 0; trial < 400 && killedInsideASave < 5; ++trial) {
        const auto delay =
            std::chrono::microseconds(std::uniform_int_distribution<std::int64_t>(0, 2 * span)(random));
        const auto before = std::filesystem::last_write_time(file);
        ASSERT_TRUE(pellacor::testing::ForkedChild::killAfter(
            [&] {
                core::Log::setSinks({});
                childEditor = std::make_unique<ProfileEditor>(
                    std::make_shared<SettingsStore>(core::Store(file)), std::make_shared<ProfilesModel>(),
                    std::weak_ptr<SectionsModel>(), std::weak_ptr<coordinator::Coordinator>(), childExecutor);
                renameOnce();
            },
            [&] {
                while (edits < 100'000) {
                    renameOnce();
                }
            },
            delay));
        killedInsideASave += pellacor::testing::TempDir::entries(file.parent_path()).size() > 1 ? 1 : 0;
        const auto loaded = core::Store(file).load();
        ASSERT_EQ(loaded.kind(), core::Store::LoadResult::Kind::loaded) << "trial " << trial;
        ASSERT_TRUE(names.contains(loaded.state()->profiles.at(1).name))
            << loaded.state()->profiles.at(1).name;
        trialsThatSaved += std::filesystem::last_write_time(file) != before ? 1 : 0;
    }
    EXPECT_GT(trialsThatSaved, 0) << "the child's saves reached the file";
    EXPECT_GT(killedInsideASave, 0) << "no kill landed inside a save";
}

} // namespace PELLACOR_TEST_FILE
