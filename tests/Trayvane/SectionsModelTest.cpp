#include "Trayvane/Settings/SectionsModel.h"

#include "Support/LogCapture.h"
#include "Support/ModelPrinters.h"

#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SectionsModel;
using core::AppKey;
using core::Profile;
using core::Section;
using core::Uuid;
using Property = SectionsModel::Property;

namespace {

constexpr const char* selfID = "app.trayvane.pellacor";
constexpr const char* appleID = "com.apple.clock";
constexpr const char* a = "com.example.a";
constexpr const char* b = "com.example.b";
constexpr const char* c = "com.example.c";
constexpr const char* d = "com.example.d";
// Seen on the bar but not yet in the profile: its section is the new-item one.
constexpr const char* e = "com.example.e";
// In the profile's order but with no row at all.
constexpr const char* gone = "com.example.gone";

core::ItemSnapshot item(const std::string& owner, double x) {
    return core::ItemSnapshot(owner, 300 + static_cast<int>(x), owner + ".status", std::nullopt, std::nullopt,
                              0, core::Rect(x, 0, 24, 24));
}

std::vector<std::string> ids(const std::vector<AppKey>& keys) {
    std::vector<std::string> result;
    for (const auto& key : keys) {
        result.push_back(key.bundleID());
    }
    return result;
}

// A model over A (shown), B (hidden), C (shown), D (hidden) and E (not in the
// profile, so hidden as new), with Apple's clock and the program's own item
// on the bar; every property change and callback lands in one list.
struct Board {
    Profile profile{Uuid::random(),
                    "ふだん",
                    {{AppKey(a), Section::shown},
                     {AppKey(b), Section::hidden},
                     {AppKey(c), Section::shown},
                     {AppKey(d), Section::hidden}},
                    {AppKey(a), AppKey(b), AppKey(c), AppKey(d), AppKey(gone)},
                    Section::hidden};
    SectionsModel model{profile, selfID};
    std::vector<std::string> events;
    core::Subscription seen;

    Board() {
        model.update({item(selfID, 700), item(appleID, 650), item(a, 100), item(b, 200), item(c, 300),
                      item(d, 400), item(e, 500)},
                     {}, std::nullopt);
        seen = model.observers.observe([this](Property p) {
            events.emplace_back(p == Property::rows          ? "rows"
                                : p == Property::profile     ? "profile"
                                : p == Property::saveWarning ? "saveWarning"
                                                             : "layoutFolderNote");
        });
        model.onChange = [this](const Profile&) { events.emplace_back("onChange"); };
        model.onMove = [this] { events.emplace_back("onMove"); };
        model.onReorder = [this](const Profile&) { events.emplace_back("onReorder"); };
    }
    std::vector<std::string> movableOrder() const {
        std::vector<std::string> result;
        for (const auto& row : model.rows()) {
            if (row.isMovable()) {
                result.push_back(row.id());
            }
        }
        return result;
    }
    Section sectionOf(const std::string& id) const { return model.profile().section(AppKey(id)); }
};

std::string answer(bool value) {
    return value ? "true" : "false";
}
std::string answer(const std::optional<AppKey>& key) {
    return key ? key->bundleID() : "none";
}

} // namespace

TEST(SectionsModelTest, TheEditsAndTheBarsOrderAsTheyShouldAct) {
    using Strings = std::vector<std::string>;
    const struct Case {
        const char* name;
        std::function<void(SectionsModel&)> setup;
        std::function<std::string(SectionsModel&)> act;
        std::string answer;
        Strings events;
        Strings log;
        std::function<void(const Board&)> check;
    } cases[] = {
        {"a move to the section the application is in is no change",
         {},
         [](SectionsModel& m) {
             return answer(m.move({a, c}, Section::shown));
         },
         "false",
         {},
         {},
         {}},
        {"a move with one changed and one unchanged logs one line",
         {},
         [](SectionsModel& m) {
             return answer(m.move({a, b}, Section::hidden));
         },
         "true",
         {"profile", "rows", "onChange", "onMove"},
         {"info: 区画を変えました（com.example.a → hidden）"},
         [](const Board& board) {
             EXPECT_EQ(board.sectionOf(a), Section::hidden);
             EXPECT_EQ(ids(board.model.profile().order), (Strings{a, b, c, d, gone})) << "the order stays";
             EXPECT_FALSE(board.model.layoutOrder());
         }},
        {"an Apple row and the program's own row never move",
         {},
         [](SectionsModel& m) {
             return answer(m.move({appleID, selfID, "com.example.unknown"}, Section::hidden));
         },
         "false",
         {},
         {},
         {}},
        {"reorder uses the first dragged id and takes the target's section",
         {},
         [](SectionsModel& m) {
             return answer(m.reorder({b, d}, a));
         },
         "true",
         {"profile", "rows", "onReorder"},
         {"info: 順番を変えました（com.example.b を com.example.a の前へ・区画 shown）"},
         [](const Board& board) {
             EXPECT_EQ(board.sectionOf(b), Section::shown);
             EXPECT_EQ(board.sectionOf(d), Section::hidden) << "the second dragged stays";
             // Only the movable applications, in the new order: no Apple, no self, no gone.
             EXPECT_EQ(ids(board.model.profile().order), (Strings{b, a, c, d, e}));
             ASSERT_TRUE(board.model.layoutOrder());
             EXPECT_EQ(ids(*board.model.layoutOrder()), (Strings{b, a, c, d, e}));
             EXPECT_EQ(board.movableOrder(), (Strings{b, a, c, d, e})) << "the rows follow it";
         }},
        {"reorder onto itself",
         {},
         [](SectionsModel& m) { return answer(m.reorder({a}, a)); },
         "false",
         {},
         {},
         {}},
        {"reorder onto the Apple row",
         {},
         [](SectionsModel& m) { return answer(m.reorder({a}, appleID)); },
         "false",
         {},
         {},
         {}},
        {"reorder onto the program's own row",
         {},
         [](SectionsModel& m) { return answer(m.reorder({a}, selfID)); },
         "false",
         {},
         {},
         {}},
        {"reorder of the program's own row",
         {},
         [](SectionsModel& m) { return answer(m.reorder({selfID}, a)); },
         "false",
         {},
         {},
         {}},
        {"reorder with nothing dragged",
         {},
         [](SectionsModel& m) { return answer(m.reorder({}, a)); },
         "false",
         {},
         {},
         {}},
        {"neighbor skips the rows of other sections",
         {},
         [](SectionsModel& m) { return answer(m.neighbor(a, +1)); },
         c,
         {},
         {},
         {}},
        {"neighbor up across another section",
         {},
         [](SectionsModel& m) { return answer(m.neighbor(e, -1)); },
         d,
         {},
         {},
         {}},
        {"no neighbor above the first of a section",
         {},
         [](SectionsModel& m) { return answer(m.neighbor(b, -1)); },
         "none",
         {},
         {},
         {}},
        {"no neighbor for the Apple row",
         {},
         [](SectionsModel& m) { return answer(m.neighbor(appleID, 1)); },
         "none",
         {},
         {},
         {}},
        {"step up at the top of a section does nothing",
         {},
         [](SectionsModel& m) { return answer(m.step(a, -1)); },
         "false",
         {},
         {},
         {}},
        {"step down at the bottom of a section does nothing though others follow",
         {},
         [](SectionsModel& m) { return answer(m.step(c, +1)); },
         "false",
         {},
         {},
         {}},
        {"step of the program's own row does nothing",
         {},
         [](SectionsModel& m) { return answer(m.step(selfID, -1)); },
         "false",
         {},
         {},
         {}},
        {"step up swaps only the two across another section",
         {},
         [](SectionsModel& m) { return answer(m.step(c, -1)); },
         "true",
         {"profile", "rows", "onReorder"},
         {"info: 順番を変えました（com.example.c を1つ上へ）"},
         [](const Board& board) {
             EXPECT_EQ(ids(board.model.profile().order), (Strings{c, b, a, d, e}));
             EXPECT_EQ(ids(*board.model.layoutOrder()), (Strings{c, b, a, d, e}));
             EXPECT_EQ(board.sectionOf(c), Section::shown);
         }},
        {"step down",
         {},
         [](SectionsModel& m) { return answer(m.step(d, +1)); },
         "true",
         {"profile", "rows", "onReorder"},
         {"info: 順番を変えました（com.example.d を1つ下へ）"},
         [](const Board& board) {
             EXPECT_EQ(board.movableOrder(), (Strings{a, b, c, e, d}));
         }},
        {"the new-item section as it is does nothing",
         {},
         [](SectionsModel& m) {
             m.setNewItemSection(Section::hidden);
             return std::string();
         },
         "",
         {},
         {},
         {}},
        {"another new-item section moves the unsorted application",
         {},
         [](SectionsModel& m) {
             m.setNewItemSection(Section::alwaysHidden);
             return std::string();
         },
         "",
         {"profile", "rows", "onChange"},
         {"info: 新しいアイコンの置き場所を「alwaysHidden」にしました"},
         [](const Board& board) {
             EXPECT_EQ(board.model.rows(Section::alwaysHidden).size(), 1U);
             EXPECT_EQ(board.model.rows(Section::alwaysHidden).front().id(), e);
         }},
        {"an order from the bar clears the note and rebuilds",
         [](SectionsModel& m) { m.setLayoutFolderNote("許可しなかったので"); },
         [](SectionsModel& m) {
             m.update(std::vector<AppKey>{AppKey(e), AppKey(d), AppKey(c), AppKey(b), AppKey(a)});
             return std::string();
         },
         "",
         {"layoutFolderNote", "rows"},
         {},
         [](const Board& board) {
             EXPECT_FALSE(board.model.layoutFolderNote());
             EXPECT_EQ(board.movableOrder(), (Strings{e, d, c, b, a}));
         }},
        {"the same order again clears the note without a rebuild",
         [](SectionsModel& m) {
             m.update(std::vector<AppKey>{AppKey(b), AppKey(a)});
             m.setLayoutFolderNote("違うフォルダが選ばれました");
         },
         [](SectionsModel& m) {
             m.update(std::vector<AppKey>{AppKey(b), AppKey(a)});
             return std::string();
         },
         "",
         {"layoutFolderNote"},
         {},
         {}},
        {"no order while none is stored does nothing",
         [](SectionsModel& m) { m.setLayoutFolderNote("注意"); },
         [](SectionsModel& m) {
             m.update(std::nullopt);
             return std::string();
         },
         "",
         {},
         {},
         [](const Board& board) { EXPECT_TRUE(board.model.layoutFolderNote()) << "kept"; }},
        {"no order after one falls back to the profile's",
         [](SectionsModel& m) {
             m.update(std::vector<AppKey>{AppKey(d), AppKey(c)});
         },
         [](SectionsModel& m) {
             m.update(std::nullopt);
             return std::string();
         },
         "",
         {"rows"},
         {},
         [](const Board& board) {
             EXPECT_EQ(board.movableOrder(), (Strings{a, b, c, d, e}));
         }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Board board;
        if (test.setup) {
            test.setup(board.model);
        }
        board.events.clear();
        const pellacor::testing::LogCapture log;
        EXPECT_EQ(test.act(board.model), test.answer);
        EXPECT_EQ(board.events, test.events);
        EXPECT_EQ(log.lines("app"), test.log);
        if (test.check) {
            test.check(board);
        }
    }
}

TEST(SectionsModelTest, TheShellsRefreshRebuildsOnlyWhenRunningOrScreensChange) {
    Board board;
    board.model.refresh({}, {}, std::nullopt);
    board.model.rebuild();
    EXPECT_TRUE(board.events.empty()) << "an unchanged refresh or rebuild tells nobody";

    // Off every screen's menu bar: the row says macOS hides it.
    board.model.refresh({"com.example.f"}, {core::Rect(5000, 0, 1440, 900)}, std::nullopt);
    EXPECT_EQ(board.events, (std::vector<std::string>{"rows"}));
    for (const auto& row : board.model.rows()) {
        EXPECT_EQ(row.hiddenByMacOS, row.isMovable()) << row.id();
    }
    EXPECT_EQ(board.model.running(), (std::set<std::string>{"com.example.f"}));
    board.events.clear();
    board.model.refresh({"com.example.f"}, {core::Rect(5000, 0, 1440, 900)}, std::nullopt);
    EXPECT_TRUE(board.events.empty());
    EXPECT_FALSE(board.model.setScreens({core::Rect(5000, 0, 1440, 900)}));
    EXPECT_TRUE(board.model.setRunning({}));
    EXPECT_TRUE(board.events.empty()) << "the plain setters never rebuild";
}

// Off the bar is macOS's doing only while the program lets the bar show the
// application: the same read says so or not by what the program allowed.
TEST(SectionsModelTest, OnlyAnApplicationTheProgramAllowsOnTheBarIsHiddenByMacOS) {
    using Allowed = std::optional<std::set<std::string>>;
    const struct Case {
        const char* what;
        Allowed allowed;
        std::vector<std::string> hiddenByMacOS;
    } cases[] = {
        {"nothing restricted", std::nullopt, {b, d}},
        {"the program allows both", Allowed{{selfID, appleID, a, b, c, d}}, {b, d}},
        {"the program keeps B off", Allowed{{selfID, appleID, a, c, d}}, {d}},
        {"collapsed: only the shown ones allowed", Allowed{{selfID, appleID, a, c}}, {}},
    };
    const std::vector<core::Rect> screens{core::Rect(0, 0, 1440, 900)};
    // B and D stand below every screen's menu bar; A and C on it.
    const std::vector<core::ItemSnapshot> items{
        item(a, 100), item(c, 300),
        core::ItemSnapshot(b, 302, "b.status", std::nullopt, std::nullopt, 0, core::Rect(200, 400, 24, 24)),
        core::ItemSnapshot(d, 304, "d.status", std::nullopt, std::nullopt, 0, core::Rect(400, 400, 24, 24))};
    for (const auto& testCase : cases) {
        Board board;
        board.model.refresh({}, screens, std::nullopt);
        board.model.update(items, {}, testCase.allowed);
        EXPECT_EQ(board.model.allowedOnBar(), testCase.allowed) << testCase.what;
        std::vector<std::string> said;
        for (const auto& row : board.model.rows()) {
            if (row.hiddenByMacOS) {
                said.push_back(row.id());
            }
        }
        EXPECT_EQ(said, testCase.hiddenByMacOS) << testCase.what;
    }

    // A new allowance alone is a change, by a read or by the refresh: the rows follow it.
    Board board;
    board.model.refresh({}, screens, std::nullopt);
    board.model.update(items, {}, Allowed{{a, c}});
    board.events.clear();
    board.model.update(items, {}, std::nullopt);
    EXPECT_EQ(board.events, (std::vector<std::string>{"rows"}));
    board.events.clear();
    board.model.refresh({}, screens, Allowed{{a, c}});
    EXPECT_EQ(board.events, (std::vector<std::string>{"rows"}));
    EXPECT_FALSE(board.model.rows(Section::hidden).front().hiddenByMacOS);
    board.events.clear();
    board.model.refresh({}, screens, Allowed{{a, c}});
    EXPECT_TRUE(board.events.empty()) << "an unchanged refresh tells nobody";
}

TEST(SectionsModelTest, RowsFollowTheProfileOnRebuildAndNothingEqualIsTold) {
    const Profile first(
        Uuid::random(), "ふだん",
        {{AppKey("com.example.chat"), Section::hidden}, {AppKey("com.example.mail"), Section::shown}}, {},
        Section::hidden);
    SectionsModel model(first, "app.trayvane.pellacor");
    ASSERT_EQ(model.rows().size(), 2u) << "built at once, with no items yet";
    std::vector<SectionsModel::Property> told;
    const auto subscription = model.observers.observe([&](SectionsModel::Property p) { told.push_back(p); });

    model.setProfile(first);
    model.rebuild();
    model.setSaveWarning(std::nullopt);
    EXPECT_TRUE(told.empty());

    Profile second = first;
    second.order = {AppKey("com.example.mail"), AppKey("com.example.chat")};
    model.setProfile(second);
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.chat")) << "setting the profile does not rebuild";
    model.rebuild();
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.mail"));
    model.setSaveWarning("保存できません");
    EXPECT_EQ(told, (std::vector<SectionsModel::Property>{SectionsModel::Property::profile,
                                                          SectionsModel::Property::rows,
                                                          SectionsModel::Property::saveWarning}));
}

TEST(SectionsModelTest, ReadsAndTheBarsOrderRebuildOnlyWhenTheyChange) {
    const Profile profile(
        Uuid::random(), "ふだん",
        {{AppKey("com.example.chat"), Section::shown}, {AppKey("com.example.mail"), Section::shown}},
        {AppKey("com.example.chat"), AppKey("com.example.mail")}, Section::hidden);
    SectionsModel model(profile, "app.trayvane.pellacor");
    std::vector<SectionsModel::Property> told;
    const auto subscription = model.observers.observe([&](SectionsModel::Property p) { told.push_back(p); });
    const std::vector<core::ItemSnapshot> items{
        core::ItemSnapshot("com.example.chat", 301, "chat.status", std::nullopt, std::nullopt, 0,
                           std::nullopt),
        core::ItemSnapshot("com.example.mail", 302, "mail.status", std::nullopt, std::nullopt, 0,
                           std::nullopt)};
    const std::set<std::string> running{"com.example.chat", "com.example.mail"};

    model.update(items, running, std::nullopt);
    EXPECT_EQ(model.items(), items);
    EXPECT_EQ(model.running(), running);
    told.clear();
    model.update(items, running, std::nullopt);
    EXPECT_TRUE(told.empty()) << "the same read changes nothing";

    // The bar's order wins over the profile's once known; nothing falls back.
    model.setLayoutFolderNote("違うフォルダが選ばれました");
    told.clear();
    model.update(std::vector<AppKey>{AppKey("com.example.mail"), AppKey("com.example.chat")});
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.mail"));
    EXPECT_FALSE(model.layoutFolderNote()) << "an order clears the note";
    EXPECT_EQ(told, (std::vector<SectionsModel::Property>{SectionsModel::Property::layoutFolderNote,
                                                          SectionsModel::Property::rows}));

    model.setLayoutFolderNote("許可しなかったので");
    told.clear();
    model.update(std::vector<AppKey>{AppKey("com.example.mail"), AppKey("com.example.chat")});
    EXPECT_EQ(told, std::vector<SectionsModel::Property>{SectionsModel::Property::layoutFolderNote})
        << "the same order clears the note without a rebuild";

    model.update(std::nullopt);
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.chat")) << "not granted: the profile's order";
    told.clear();
    model.update(std::nullopt);
    EXPECT_TRUE(told.empty());
}

} // namespace PELLACOR_TEST_FILE
