#include "Trayvane/StatusItem/ControlMenu.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/StatusItem/ControlMenuView.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using coordinator::PauseReason;
using core::MenuBarState;

namespace {

// The menu in one line per entry: "---" for a separator, a disabled entry in
// brackets, a checked one after "✓", a notice with its topic, a submenu's
// entries indented under it.
std::vector<std::string> outline(const std::vector<ControlMenuEntry>& entries,
                                 const std::string& indent = "") {
    std::vector<std::string> lines;
    for (const auto& e : entries) {
        if (e.isSeparator) {
            lines.push_back(indent + "---");
            continue;
        }
        std::string line =
            indent + (e.isChecked ? "✓" : "") + (e.isEnabled() ? e.title : "[" + e.title + "]");
        if (e.topic) {
            line += " @" + std::string(rawValue(*e.topic));
        }
        lines.push_back(line);
        auto inner = outline(e.submenu, indent + "  ");
        lines.insert(lines.end(), inner.begin(), inner.end());
    }
    return lines;
}

const std::vector<std::string> tail{
    "設定…", "Pellacor のヘルプ", "ご意見・不具合を送る…", "アップデートを確認", "Pellacor について",
    "---",   "Pellacor を終了"};

std::vector<std::string> withTail(std::vector<std::string> head) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

ControlMenu::Facts facts(MenuBarState state, std::optional<PauseReason> reason = std::nullopt) {
    ControlMenu::Facts f;
    f.state = state;
    f.pauseReason = std::move(reason);
    return f;
}

TEST(ControlMenuTest, EachStateAndPauseReason) {
    struct Case {
        const char* name;
        ControlMenu::Facts facts;
        std::vector<std::string> head;
    };
    const Case cases[] = {
        {"collapsed: no notice, no leading separator",
         facts(MenuBarState::collapsed),
         {"全部出す（しばらくすると自動でしまう）", "一時停止（再開するまで全部見せる）"}},
        {"revealed", facts(MenuBarState::revealed), {"一時停止（再開するまで全部見せる）"}},
        {"revealedAll", facts(MenuBarState::revealedAll), {"一時停止（再開するまで全部見せる）"}},
        {"starting",
         facts(MenuBarState::starting),
         {"起動しています @nothingHidden", "---", "一時停止（再開するまで全部見せる）"}},
        {"privacyOverride",
         facts(MenuBarState::privacyOverride),
         {"カメラを使用中なので、全部見せています @nothingHidden", "---",
          "一時停止（再開するまで全部見せる）"}},
        {"needsPermission",
         facts(MenuBarState::needsPermission),
         {"アクセシビリティの許可を待っているので、何も隠していません @permission", "---",
          "許可の案内を開く…", "一時停止（再開するまで全部見せる）"}},
        {"paused manual",
         facts(MenuBarState::paused, PauseReason::manual()),
         {"一時停止中（全部見せています） @nothingHidden", "---", "再開"}},
        {"paused without a reason",
         facts(MenuBarState::paused),
         {"一時停止中（全部見せています） @nothingHidden", "---", "再開"}},
        {"paused by the modifier keys at launch",
         facts(MenuBarState::paused, PauseReason::optionKeyAtLaunch()),
         {"⇧ か ⌥ を押して起動したので、一時停止中です @nothingHidden", "---", "再開"}},
        {"paused for a new system version",
         facts(MenuBarState::paused, PauseReason::osVersionChanged()),
         {"macOS が新しくなったので、念のため一時停止中です。下の「再開」を選んでください @osUpdated", "---",
          "再開"}},
        {"paused, control removed",
         facts(MenuBarState::paused, PauseReason::controlRemoved()),
         {"⚠ 一時停止中：メニューバーへの表示が切られています @warning", "---", "再開"}},
        {"paused for two health problems",
         facts(MenuBarState::paused,
               PauseReason::healthProblems(
                   {system::HealthProblem::readTimedOut, system::HealthProblem::notInApplicationsFolder})),
         {"⚠ 一時停止中：アイコンを読むのに時間がかかりすぎました・アプリケーションフォルダに入れてください "
          "@warning",
          "---", "再開"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(outline(ControlMenu::build(c.facts)), withTail(c.head));
    }
}

TEST(ControlMenuTest, HotkeyNoteFollowsTheStateNotice) {
    auto revealed = facts(MenuBarState::revealed);
    revealed.hotkeyNote = "⌘⇧B はほかのアプリが使っています";
    EXPECT_EQ(outline(ControlMenu::build(revealed)), withTail({"⌘⇧B はほかのアプリが使っています @hotkeys",
                                                               "---", "一時停止（再開するまで全部見せる）"}));

    auto paused = facts(MenuBarState::paused, PauseReason::manual());
    paused.hotkeyNote = "note";
    EXPECT_EQ(outline(ControlMenu::build(paused)),
              withTail({"一時停止中（全部見せています） @nothingHidden", "note @hotkeys", "---", "再開"}));
}

TEST(ControlMenuTest, ProfileSubmenu) {
    const auto work = core::Uuid::random();
    const auto home = core::Uuid::random();
    auto f = facts(MenuBarState::collapsed);
    f.profiles = {{work, "仕事", true}, {home, "家", false}};
    f.profileIsAutomatic = true;
    f.userSwitchAvailable = true;
    const auto entries = ControlMenu::build(f);
    EXPECT_EQ(outline(entries),
              withTail({"全部出す（しばらくすると自動でしまう）", "一時停止（再開するまで全部見せる）",
                        "プロファイル：仕事（自動）", "  ✓仕事", "  家", "  ---", "  プロファイルを編集…",
                        "ユーザを切り替える（ファストユーザスイッチ）…"}));
    const auto& parent = entries[2];
    EXPECT_EQ(parent.action, ControlAction::none);
    EXPECT_EQ(parent.submenu[0].profileID, work);
    EXPECT_EQ(parent.submenu[1].profileID, home);
    EXPECT_EQ(parent.submenu[1].action, ControlAction::profile);

    // Chosen by hand: no suffix. No active profile: the bare title.
    EXPECT_EQ(ControlMenu::profileMenu(f.profiles, false)->title, "プロファイル：仕事");
    EXPECT_EQ(ControlMenu::profileMenu({{work, "仕事", false}}, true)->title, "プロファイル");
    // The first active one names the menu.
    EXPECT_EQ(
        ControlMenu::profileMenu({{work, "A", false}, {home, "B", true}, {work, "C", true}}, false)->title,
        "プロファイル：B");
    // No profiles: nothing at all, no separator either.
    EXPECT_FALSE(ControlMenu::profileMenu({}, true));
    EXPECT_EQ(outline(ControlMenu::build(facts(MenuBarState::revealed))),
              withTail({"一時停止（再開するまで全部見せる）"}));
}

TEST(ControlMenuTest, RunningUpdateCheckShowsADisabledEntry) {
    auto f = facts(MenuBarState::collapsed);
    f.isCheckingForUpdate = true;
    const auto entries = ControlMenu::build(f);
    const auto update = std::find_if(entries.begin(), entries.end(),
                                     [](const auto& e) { return e.title == "アップデートを確認中…"; });
    ASSERT_NE(update, entries.end());
    EXPECT_EQ(update->action, ControlAction::none);
    EXPECT_FALSE(update->isEnabled());
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [](const auto& e) { return e.title == "アップデートを確認"; }),
              0);
    EXPECT_EQ(entries.back().action, ControlAction::quit);
    EXPECT_EQ(entries.back().keyEquivalent, "q");
}

TEST(ControlItemTextTest, StateTextsOutsidePause) {
    const std::pair<MenuBarState, const char*> cases[] = {
        {MenuBarState::starting, "起動しています"},
        {MenuBarState::needsPermission, "アクセシビリティの許可を待っているので、何も隠していません"},
        {MenuBarState::collapsed, "アイコンをしまっています"},
        {MenuBarState::revealed, "隠したアイコンを出しています"},
        {MenuBarState::revealedAll, "「いつも隠す」も全部出しています"},
        {MenuBarState::privacyOverride, "カメラを使用中なので、全部見せています"},
    };
    for (const auto& [state, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ControlItem::stateText(state, std::nullopt), text);
        // A reason held outside pause changes nothing.
        EXPECT_EQ(ControlItem::stateText(state, PauseReason::controlRemoved()), text);
    }
}

TEST(ControlItemTextTest, ProblemTextsAndAnEmptyProblemList) {
    using system::HealthProblem;
    const std::pair<HealthProblem, const char*> cases[] = {
        {HealthProblem::cannotRead(system::UnavailableReason::noAccessibilityPermission),
         "アイコンを読めません"},
        {HealthProblem::readTimedOut, "アイコンを読むのに時間がかかりすぎました"},
        {HealthProblem::noItems, "アイコンが1つも読めません"},
        {HealthProblem::ownItemMissing, "自分の操作口が見つかりません"},
        {HealthProblem::hidingComponentMissing, "隠す仕組みが macOS に見つかりません"},
        {HealthProblem::notInApplicationsFolder, "アプリケーションフォルダに入れてください"},
        {HealthProblem::hidingDidNotTakeEffect, "隠す指示が効きませんでした"},
    };
    for (const auto& [problem, text] : cases) {
        EXPECT_EQ(ControlItem::problemText(problem), text);
    }
    EXPECT_EQ(ControlItem::stateText(MenuBarState::paused, PauseReason::healthProblems({})),
              "⚠ 一時停止中：");
    EXPECT_EQ(
        ControlItem::stateText(MenuBarState::paused, PauseReason::healthProblems({HealthProblem::noItems})),
        "⚠ 一時停止中：アイコンが1つも読めません");
}

TEST(ControlItemTextTest, IconPerStateAndReason) {
    struct Case {
        MenuBarState state;
        std::optional<PauseReason> reason;
        const char* icon;
    };
    const Case cases[] = {
        {MenuBarState::starting, std::nullopt, "broom"},
        {MenuBarState::collapsed, std::nullopt, "broom"},
        {MenuBarState::revealed, std::nullopt, "broom.circle"},
        {MenuBarState::revealedAll, std::nullopt, "broom.circle"},
        {MenuBarState::needsPermission, std::nullopt, "exclamationmark.triangle"},
        {MenuBarState::privacyOverride, std::nullopt, "video.circle"},
        {MenuBarState::paused, std::nullopt, "pause.circle"},
        {MenuBarState::paused, PauseReason::manual(), "pause.circle"},
        {MenuBarState::paused, PauseReason::optionKeyAtLaunch(), "pause.circle"},
        {MenuBarState::paused, PauseReason::osVersionChanged(), "pause.circle"},
        {MenuBarState::paused, PauseReason::controlRemoved(), "exclamationmark.triangle"},
        {MenuBarState::paused, PauseReason::healthProblems({}), "exclamationmark.triangle"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(core::rawValue(c.state)) + " " + (c.reason ? toString(*c.reason) : "nil"));
        EXPECT_EQ(ControlItem::iconName(c.state, c.reason), c.icon);
    }
}

} // namespace

// What the menu shows is the title as typed: Qt takes "&" for the mark of a
// shortcut letter, which would swallow it.
TEST(ControlMenuViewTest, ProfileNamesShowAsTyped) {
    pellacor::testing::offscreenApplication();
    auto f = facts(MenuBarState::collapsed);
    f.profiles = {{core::Uuid::random(), "R&D", true}, {core::Uuid::random(), "&&", false}};
    QMenu menu;
    ControlMenuView::populate(menu, ControlMenu::build(f), nullptr);
    const QAction* parent = nullptr;
    for (QAction* action : menu.actions()) {
        if (action->menu() != nullptr) {
            parent = action;
        }
    }
    ASSERT_NE(parent, nullptr);
    // iconText() is the text as shown, shortcut marks taken out.
    EXPECT_EQ(parent->iconText(), QString::fromUtf8("プロファイル：R&D"));
    const auto entries = parent->menu()->actions();
    ASSERT_GE(entries.size(), 2);
    EXPECT_EQ(entries[0]->iconText(), QStringLiteral("R&D"));
    EXPECT_EQ(entries[1]->iconText(), QStringLiteral("&&"));
}

} // namespace PELLACOR_TEST_FILE
