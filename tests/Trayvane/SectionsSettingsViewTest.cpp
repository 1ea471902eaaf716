#include "Trayvane/Settings/SectionsSettingsView.h"

#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Support/FakeWorkspace.h"
#include "Support/LogCapture.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Settings/AppIconView.h"
#include "Trayvane/Settings/AppleItemsRow.h"
#include "Trayvane/Settings/NewItemPlacement.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/SectionBand.h"
#include "Trayvane/Settings/SectionsModel.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SectionBand;
using app::SectionRowView;
using app::SectionsModel;
using app::SectionsSettingsView;
using core::AppKey;
using core::Profile;
using core::Section;
using core::SectionRow;
using core::Uuid;

namespace {

constexpr const char* selfID = "app.trayvane.pellacor";
constexpr const char* appleID = "com.apple.clock";
constexpr const char* appleID2 = "com.apple.weather";
constexpr const char* a = "com.example.a";
constexpr const char* b = "com.example.b";
constexpr const char* c = "com.example.c";
constexpr const char* d = "com.example.d";
constexpr const char* e = "com.example.e";

core::ItemSnapshot item(const std::string& owner, double x) {
    return core::ItemSnapshot(owner, 300 + static_cast<int>(x), owner + ".status", std::nullopt, std::nullopt,
                              0, core::Rect(x, 0, 24, 24));
}

// What a band's box shows, as short words: the rows' identifiers,
// "divider", "placeholder" and "apple×N".
std::vector<std::string> content(const SectionBand& band) {
    std::vector<std::string> words;
    for (QWidget* widget : band.shownContent()) {
        if (auto* row = qobject_cast<SectionRowView*>(widget)) {
            words.push_back(row->row().id());
        } else if (widget == &band.placeholder()) {
            words.push_back("placeholder");
        } else if (widget == &band.appleRow()) {
            words.push_back("apple×" + std::to_string(band.appleRow().count()));
        } else {
            words.push_back("divider");
        }
    }
    return words;
}

// The program's own icon store over a fake workspace whose renders run at
// once; their results reach the store when the executor runs.
struct Icons {
    concurrency::ManualExecutor executor;
    std::shared_ptr<pellacor::testing::FakeWorkspace> workspace =
        std::make_shared<pellacor::testing::FakeWorkspace>();
    std::shared_ptr<app::IconStore> store = app::IconStore::create(
        executor, workspace,
        [](std::function<void()> work) -> concurrency::Task<void> {
            work();
            co_return;
        },
        [](const std::optional<std::string>&) -> std::optional<QImage> {
            QImage red(app::IconStore::pixels, app::IconStore::pixels, QImage::Format_ARGB32_Premultiplied);
            red.fill(QColor(220, 0, 0));
            return red;
        });
};

// The page over A (shown), B (hidden), C (shown), D (hidden) and E (new, so
// hidden), with Apple's clock and the program's own item on the bar, shown
// on screen; the model's callbacks are recorded.
struct Page : ::testing::Test {
    Profile profile{Uuid::random(),
                    "ふだん",
                    {{AppKey(a), Section::shown},
                     {AppKey(b), Section::hidden},
                     {AppKey(c), Section::shown},
                     {AppKey(d), Section::hidden}},
                    {AppKey(a), AppKey(b), AppKey(c), AppKey(d)},
                    Section::hidden};
    SectionsModel model{profile, selfID};
    app::ProfilesModel profiles;
    std::vector<std::string> calls;
    std::unique_ptr<SectionsSettingsView> page;

    void SetUp() override {
        pellacor::testing::offscreenApplication();
        model.update({item(selfID, 700), item(appleID, 650), item(a, 100), item(b, 200), item(c, 300),
                      item(d, 400), item(e, 500)},
                     {selfID, appleID, a, b, c, d, e}, std::nullopt);
        // One screen, so that an item below the bar counts as hidden by the system.
        model.refresh(model.running(), {core::Rect(0, 0, 1440, 900)}, std::nullopt);
        model.onChange = [this](const Profile&) { calls.emplace_back("onChange"); };
        model.onMove = [this] { calls.emplace_back("onMove"); };
        model.onReorder = [this](const Profile&) { calls.emplace_back("onReorder"); };
        page = std::make_unique<SectionsSettingsView>(
            model, profiles, nullptr, [](const std::string& id) { return "Name " + id.substr(12); });
        page->resize(600, 1400);
        page->show();
        QApplication::processEvents();
    }

    SectionRowView& row(const std::string& id) const {
        SectionRowView* found = page->row(id);
        EXPECT_NE(found, nullptr) << id;
        return *found;
    }
    std::vector<std::string> movableOrder() const {
        std::vector<std::string> result;
        for (const auto& r : model.rows()) {
            if (r.isMovable()) {
                result.push_back(r.id());
            }
        }
        return result;
    }
    Section sectionOf(const std::string& id) const { return model.profile().section(AppKey(id)); }
};

// A drag of `text` brought over the middle of `target` and dropped there, as
// the window delivers it: to the deepest widget under the point, going on to
// the first one up the chain that takes drops. Answers the drop's action.
struct Dragged {
    QMimeData data;
    explicit Dragged(const std::string& text) { data.setText(QString::fromStdString(text)); }

    // The widget that answered the enter, if any did.
    static QWidget* enter(QWidget& target, QMimeData& data) {
        QWidget* window = target.window();
        const QPoint point = target.mapTo(window, target.rect().center());
        QWidget* under = window->childAt(point);
        if (!under) {
            under = window;
        }
        QDragEnterEvent enterEvent(under->mapFrom(window, point), Qt::MoveAction, &data, Qt::LeftButton,
                                   Qt::NoModifier);
        QApplication::sendEvent(under, &enterEvent);
        return enterEvent.isAccepted() ? under : nullptr;
    }
    // At the middle of `target`, or at its top margin.
    static Qt::DropAction drop(QWidget& target, QMimeData& data, bool atMargin = false) {
        QWidget* window = target.window();
        const QPoint point =
            target.mapTo(window, atMargin ? QPoint(target.width() / 2, 2) : target.rect().center());
        QWidget* under = window->childAt(point);
        if (!under) {
            under = window;
        }
        QDragEnterEvent enterEvent(under->mapFrom(window, point), Qt::MoveAction, &data, Qt::LeftButton,
                                   Qt::NoModifier);
        QApplication::sendEvent(under, &enterEvent);
        QDropEvent dropEvent(QPointF(under->mapFrom(window, point)), Qt::MoveAction, &data, Qt::LeftButton,
                             Qt::NoModifier);
        dropEvent.setDropAction(Qt::IgnoreAction);
        QApplication::sendEvent(under, &dropEvent);
        return dropEvent.isAccepted() ? dropEvent.dropAction() : Qt::IgnoreAction;
    }
    Qt::DropAction onto(QWidget& target, bool atMargin = false) { return drop(target, data, atMargin); }
};

QColor topMiddle(QWidget& widget, int y) {
    return widget.grab().toImage().pixelColor(widget.width() / 2, y);
}

} // namespace

TEST(SectionsBandContentTest, EachBandListsItsRowsWithDividersAndSumsUpApplesApplications) {
    pellacor::testing::offscreenApplication();
    using Words = std::vector<std::string>;
    const struct Case {
        const char* name;
        std::map<std::string, Section> sections;
        std::vector<std::string> onBar;
        Words shown, hidden, alwaysHidden;
    } cases[] = {
        {"a band with no rows shows where to drag, and nothing else",
         {{a, Section::shown}, {b, Section::hidden}},
         {selfID, a, b},
         {selfID, "divider", a},
         {b},
         {"placeholder"}},
        {"Apple's applications alone: only their summary, no placeholder, no divider",
         {{b, Section::hidden}},
         {appleID, appleID2, b},
         {"apple×2"},
         {b},
         {"placeholder"}},
        {"three rows without Apple's: two dividers",
         {{b, Section::hidden}, {d, Section::hidden}},
         {b, d, e},
         {"placeholder"},
         {b, "divider", d, "divider", e},
         {"placeholder"}},
        {"three rows and Apple's: three dividers, the summary last",
         {{a, Section::shown}, {c, Section::shown}, {b, Section::alwaysHidden}},
         {appleID, a, c, selfID, b},
         {selfID, "divider", a, "divider", c, "divider", "apple×1"},
         {"placeholder"},
         {b}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::map<AppKey, Section> sections;
        for (const auto& [id, section] : testCase.sections) {
            sections.emplace(AppKey(id), section);
        }
        std::vector<AppKey> order;
        std::vector<core::ItemSnapshot> items;
        double x = 100;
        for (const auto& owner : testCase.onBar) {
            items.push_back(item(owner, x += 40));
            if (!AppKey::isAppleBundleID(owner) && owner != selfID) {
                order.emplace_back(owner);
            }
        }
        SectionsModel model(Profile(Uuid::random(), "ふだん", sections, order, Section::hidden), selfID);
        model.update(items, {testCase.onBar.begin(), testCase.onBar.end()}, std::nullopt);
        app::ProfilesModel profiles;
        SectionsSettingsView page(model, profiles, nullptr, {});
        EXPECT_EQ(content(page.band(Section::shown)), testCase.shown);
        EXPECT_EQ(content(page.band(Section::hidden)), testCase.hidden);
        EXPECT_EQ(content(page.band(Section::alwaysHidden)), testCase.alwaysHidden);
    }
}

TEST_F(Page, TheBandsFollowTheModelsRowsAndKeepEachRowWidget) {
    EXPECT_EQ(content(page->band(Section::shown)),
              (std::vector<std::string>{selfID, "divider", a, "divider", c, "divider", "apple×1"}));
    SectionRowView* before = page->row(b);
    ASSERT_TRUE(model.move({b}, Section::alwaysHidden));
    EXPECT_EQ(content(page->band(Section::hidden)), (std::vector<std::string>{d, "divider", e}));
    EXPECT_EQ(content(page->band(Section::alwaysHidden)), std::vector<std::string>{b});
    // The same widget, moved: a drag from it may still be running.
    EXPECT_EQ(page->row(b), before);
    EXPECT_EQ(before->parentWidget(), &page->band(Section::alwaysHidden).box());
    EXPECT_EQ(before->row().section, Section::alwaysHidden);

    // An application the profile does not name and that leaves the bar takes its row along.
    model.update({item(selfID, 700), item(a, 100), item(b, 200), item(c, 300), item(d, 400)},
                 {selfID, a, b, c, d}, std::nullopt);
    EXPECT_EQ(page->row(e), nullptr);
    EXPECT_EQ(content(page->band(Section::hidden)), std::vector<std::string>{d});
    EXPECT_EQ(content(page->band(Section::shown)),
              (std::vector<std::string>{selfID, "divider", a, "divider", c}));
}

TEST_F(Page, TheIdentifiersNameEveryControl) {
    for (const char* name :
         {"band:shown", "band:hidden", "band:alwaysHidden", "row:apple", "newItem:shown", "newItem:hidden",
          "newItem:alwaysHidden", "sections:layoutFolderNote", "profileBar"}) {
        EXPECT_NE(page->findChild<QWidget*>(name), nullptr) << name;
    }
    for (const char* id : {a, b, c, d, e}) {
        EXPECT_NE(page->findChild<QWidget*>(QString("row:") + id), nullptr) << id;
        EXPECT_NE(page->findChild<QPushButton*>(QString("rowMenu:") + id), nullptr) << id;
    }
    EXPECT_NE(page->findChild<QWidget*>(QString("row:") + selfID), nullptr);
    EXPECT_EQ(page->findChild<QWidget*>(QString("rowMenu:") + selfID), nullptr);
    EXPECT_EQ(page->band(Section::hidden).box().accessibleName().toStdString(), "置き場所：隠す");
}

TEST_F(Page, TheNotesShowOnlyWhenSetTheFolderNoteFirst) {
    EXPECT_FALSE(page->layoutFolderNote().isVisible());
    EXPECT_FALSE(page->saveWarning().isVisible());
    model.setSaveWarning("保存できません");
    model.setLayoutFolderNote("フォルダを選んでください");
    QApplication::processEvents();
    ASSERT_TRUE(page->layoutFolderNote().isVisible());
    ASSERT_TRUE(page->saveWarning().isVisible());
    EXPECT_EQ(page->layoutFolderNote().text().toStdString(), "フォルダを選んでください");
    EXPECT_EQ(page->saveWarning().text().toStdString(), "保存できません");
    EXPECT_LT(page->layoutFolderNote().y(), page->saveWarning().y());
    model.setSaveWarning(std::nullopt);
    model.setLayoutFolderNote(std::nullopt);
    EXPECT_FALSE(page->layoutFolderNote().isVisible());
    EXPECT_FALSE(page->saveWarning().isVisible());
}

TEST(SectionRowNoteTest, ThePartsThatApplyJoinedInOrder) {
    const std::string hiddenText = "macOS が出していません。システム設定の「メニューバー」の"
                                   "「メニューバーに追加することを許可」で入にすると出ます";
    using Kind = SectionRow::Kind;
    const struct Case {
        Kind kind;
        int icons;
        bool running;
        bool hiddenByMacOS;
        std::optional<std::string> note;
    } cases[] = {
        {Kind::movable, 1, true, false, std::nullopt},
        {Kind::movable, 0, true, false, std::nullopt},
        {Kind::movable, 3, false, false,
         "アイコン 3 個・このアプリのアイコンは一緒に動きます・いまは動いていません"},
        {Kind::movable, 1, true, true, hiddenText},
        {Kind::movable, 2, false, true,
         "アイコン 2 個・このアプリのアイコンは一緒に動きます・いまは動いていません・" + hiddenText},
        {Kind::apple, 4, true, false, "macOS のアイコンは動かせません"},
        {Kind::selfItem, 1, true, false, "このアプリの操作口です。いつも表示します"},
        {Kind::selfItem, 1, false, false, "このアプリの操作口です。いつも表示します・いまは動いていません"},
    };
    for (const auto& testCase : cases) {
        const SectionRow row{AppKey(a),      Section::shown,   testCase.kind,
                             testCase.icons, testCase.running, testCase.hiddenByMacOS};
        EXPECT_EQ(SectionRowView::note(row), testCase.note)
            << core::rawValue(testCase.kind) << " " << testCase.icons;
    }
}

TEST_F(Page, ARowsFaceShowsNameNoteAndIconAsItsKindAndStateSay) {
    // E below the bar, hidden by the system; D without items and not running.
    const core::ItemSnapshot below(e, 800, "e.status", std::nullopt, std::nullopt, 0,
                                   core::Rect(500, 400, 24, 24));
    model.update({item(selfID, 700), item(appleID, 650), item(a, 100), item(b, 200), item(c, 300), below},
                 {selfID, appleID, a, b, c, e}, std::nullopt);
    // The mark after the name, not in the drag picture's name.
    SectionRowView& hiddenRow = row(e);
    EXPECT_EQ(hiddenRow.nameLabel().text().toStdString(), "Name e（非表示中）");
    EXPECT_EQ(hiddenRow.baseName(), "Name e");
    EXPECT_TRUE(hiddenRow.noteLabel().isVisible());
    EXPECT_TRUE(hiddenRow.noteLabel().text().endsWith("で入にすると出ます"));
    EXPECT_FALSE(hiddenRow.icon().isDimmed());
    // Not running: half opacity, colours kept.
    EXPECT_TRUE(row(d).icon().isDimmed());
    EXPECT_FALSE(row(d).icon().isGrey());
    EXPECT_EQ(row(d).noteLabel().text().toStdString(), "いまは動いていません");

    SectionRowView& plain = row(a);
    EXPECT_EQ(plain.nameLabel().text().toStdString(), "Name a");
    EXPECT_FALSE(plain.noteLabel().isVisible());
    EXPECT_FALSE(plain.icon().isDimmed());

    SectionRowView& own = row(selfID);
    EXPECT_EQ(own.nameLabel().text().toStdString(), "Pellacor");
    EXPECT_EQ(own.noteLabel().text().toStdString(), "このアプリの操作口です。いつも表示します");
    EXPECT_TRUE(own.icon().isGrey());
    EXPECT_EQ(own.menuButton(), nullptr);
    EXPECT_FALSE(own.acceptDrops());
    EXPECT_NE(own.nameLabel().palette().color(QPalette::WindowText),
              plain.nameLabel().palette().color(QPalette::WindowText));

    // The payload of a drag is the identifier as plain text.
    std::unique_ptr<QMimeData> payload(SectionRowView::payload(b));
    EXPECT_EQ(payload->text().toStdString(), b);
    EXPECT_FALSE(row(b).dragPicture().isNull());
}

TEST(AppIconViewTest, APlaceholderUntilTheIconArrivesThenTheIcon) {
    pellacor::testing::offscreenApplication();
    Icons icons;
    app::AppIconView view(icons.store, a);
    view.show();
    EXPECT_FALSE(view.hasImage());
    // The quaternary label colour: black or white at a tenth.
    EXPECT_NEAR(view.picture().toImage().pixelColor(28, 28).alphaF(), 0.1, 0.02);
    icons.executor.runUntilIdle();
    EXPECT_TRUE(view.hasImage());
    EXPECT_EQ(view.picture().toImage().pixelColor(28, 28), QColor(220, 0, 0));
    view.setGrey(true);
    const QColor grey = view.picture().toImage().pixelColor(28, 28);
    EXPECT_EQ(grey.red(), grey.green());
    view.setDimmed(true);
    EXPECT_NEAR(view.picture().toImage().pixelColor(28, 28).alphaF(), 0.5, 0.02);
}

TEST_F(Page, TheMoveMenuOffersTheOtherSectionsAndOnlyTheStepsThereAreNeighboursFor) {
    const struct Case {
        const char* id;
        std::vector<std::string> entries;
        std::vector<bool> enabled;
    } cases[] = {
        // The hidden band holds B, D, E: B is first, E last.
        {b,
         {"「表示」へ移す", "「いつも隠す」へ移す", "", "1つ上へ（メニューバーでは左へ）",
          "1つ下へ（メニューバーでは右へ）"},
         {true, true, true, false, true}},
        {d,
         {"「表示」へ移す", "「いつも隠す」へ移す", "", "1つ上へ（メニューバーでは左へ）",
          "1つ下へ（メニューバーでは右へ）"},
         {true, true, true, true, true}},
        {e,
         {"「表示」へ移す", "「いつも隠す」へ移す", "", "1つ上へ（メニューバーでは左へ）",
          "1つ下へ（メニューバーでは右へ）"},
         {true, true, true, true, false}},
        {a,
         {"「隠す」へ移す", "「いつも隠す」へ移す", "", "1つ上へ（メニューバーでは左へ）",
          "1つ下へ（メニューバーでは右へ）"},
         {true, true, true, false, true}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.id);
        QMenu* menu = row(testCase.id).moveMenu();
        ASSERT_NE(menu, nullptr);
        std::vector<std::string> entries;
        std::vector<bool> enabled;
        for (QAction* action : menu->actions()) {
            entries.push_back(action->isSeparator() ? "" : action->text().toStdString());
            enabled.push_back(action->isEnabled());
        }
        EXPECT_EQ(entries, testCase.entries);
        EXPECT_EQ(enabled, testCase.enabled);
    }

    // Alone in a band, neither step can be made.
    ASSERT_TRUE(model.move({d}, Section::alwaysHidden));
    QMenu* lonely = row(d).moveMenu();
    EXPECT_FALSE(lonely->findChild<QAction*>("move:up")->isEnabled());
    EXPECT_FALSE(lonely->findChild<QAction*>("move:down")->isEnabled());
}

TEST_F(Page, TheMenuAndTheContextMenuMoveAndStepTheRow) {
    row(b).moveMenu()->findChild<QAction*>("move:shown")->trigger();
    EXPECT_EQ(sectionOf(b), Section::shown);
    EXPECT_EQ(calls, (std::vector<std::string>{"onChange", "onMove"}));
    // The menu follows the row's new section.
    EXPECT_NE(row(b).moveMenu()->findChild<QAction*>("move:hidden"), nullptr);
    EXPECT_EQ(row(b).moveMenu()->findChild<QAction*>("move:shown"), nullptr);

    calls.clear();
    QContextMenuEvent click(QContextMenuEvent::Mouse, row(e).rect().center(),
                            row(e).mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&row(e), &click);
    QMenu* context = row(e).contextMenu();
    ASSERT_NE(context, nullptr);
    std::vector<std::string> entries;
    for (QAction* action : context->actions()) {
        entries.push_back(action->text().toStdString());
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"「表示」へ移す", "「いつも隠す」へ移す", "",
                                                 "1つ上へ（メニューバーでは左へ）",
                                                 "1つ下へ（メニューバーでは右へ）"}));
    context->findChild<QAction*>("move:up")->trigger();
    context->close();
    EXPECT_EQ(calls, std::vector<std::string>{"onReorder"});
    EXPECT_EQ(content(page->band(Section::hidden)), (std::vector<std::string>{e, "divider", d}));
}

TEST_F(Page, DropsLandOnTheRowOrFallThroughToTheBand) {
    using Strings = std::vector<std::string>;
    const struct Case {
        const char* name;
        std::string text;
        std::function<QWidget&(Page&)> target;
        bool taken;
        bool atMargin = false;
        Strings calls;
        Strings order;
        std::map<std::string, Section> sections;
    } cases[] = {
        {"a row dropped on a row of its band goes in front of it",
         c,
         [](Page& p) -> QWidget& { return p.row(a); },
         true,
         false,
         {"onReorder"},
         {c, a, b, d, e},
         {{c, Section::shown}}},
        {"across sections: the section and the place in one step",
         d,
         [](Page& p) -> QWidget& { return p.row(a); },
         true,
         false,
         {"onReorder"},
         {d, a, b, c, e},
         {{d, Section::shown}}},
        {"on Apple's summary: to the band",
         b,
         [](Page& p) -> QWidget& { return p.page->band(Section::shown).appleRow(); },
         true,
         false,
         {"onChange", "onMove"},
         {a, b, c, d, e},
         {{b, Section::shown}}},
        {"on the program's own row: to the band",
         d,
         [](Page& p) -> QWidget& { return p.row(selfID); },
         true,
         false,
         {"onChange", "onMove"},
         {a, b, c, d, e},
         {{d, Section::shown}}},
        {"on an empty band's placeholder: into that section",
         b,
         [](Page& p) -> QWidget& { return p.page->band(Section::alwaysHidden).placeholder(); },
         true,
         false,
         {"onChange", "onMove"},
         {a, b, c, d, e},
         {{b, Section::alwaysHidden}}},
        {"several lines: every application named",
         std::string(b) + "\n" + d + "\n",
         [](Page& p) -> QWidget& { return p.page->band(Section::alwaysHidden).box(); },
         true,
         false,
         {"onChange", "onMove"},
         {a, b, c, d, e},
         {{b, Section::alwaysHidden}, {d, Section::alwaysHidden}}},
        {"text that is no application, on a row: nothing",
         "hello world",
         [](Page& p) -> QWidget& { return p.row(a); },
         false,
         false,
         {},
         {a, b, c, d, e},
         {}},
        {"text that is no application, on a band: nothing",
         "hello world",
         [](Page& p) -> QWidget& { return p.page->band(Section::alwaysHidden).placeholder(); },
         false,
         false,
         {},
         {a, b, c, d, e},
         {}},
        {"a row on itself: nothing, and not on to its band",
         b,
         [](Page& p) -> QWidget& { return p.row(b); },
         false,
         false,
         {},
         {a, b, c, d, e},
         {}},
        {"a refused drop on a row does not go on to the band",
         std::string(b) + "\n" + d,
         [](Page& p) -> QWidget& { return p.row(b); },
         false,
         false,
         {},
         {a, b, c, d, e},
         {}},
        {"on the own band's margin: nothing",
         b,
         [](Page& p) -> QWidget& { return p.page->band(Section::hidden).box(); },
         false,
         true,
         {},
         {a, b, c, d, e},
         {}},
    };
    const Strings startOrder = movableOrder();
    ASSERT_EQ(startOrder, (Strings{a, b, c, d, e}));
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        model.setProfile(profile);
        // The bar's order the last case left goes too: the rows follow the profile's again.
        model.update(std::optional<std::vector<AppKey>>{});
        model.rebuild();
        calls.clear();
        QApplication::processEvents();
        QWidget& target = testCase.target(*this);
        Dragged dragged(testCase.text);
        const Qt::DropAction action = dragged.onto(target, testCase.atMargin);
        EXPECT_EQ(action != Qt::IgnoreAction, testCase.taken);
        EXPECT_EQ(calls, testCase.calls);
        EXPECT_EQ(movableOrder(), testCase.order);
        for (const auto& [id, section] : testCase.sections) {
            EXPECT_EQ(sectionOf(id), section) << id;
        }
        if (testCase.sections.empty()) {
            EXPECT_EQ(model.profile().sections, profile.sections);
        }
        for (const Section section : core::allSections) {
            EXPECT_FALSE(page->band(section).isTargeted());
        }
    }
}

TEST_F(Page, AHoveringDragMarksTheRowOrTheBandUntilItLeaves) {
    Dragged dragged(b);
    // Over a movable row: the accent bar at its top, the band's outline plain.
    SectionRowView& target = row(a);
    EXPECT_EQ(Dragged::enter(target, dragged.data), &target.nameLabel());
    EXPECT_TRUE(target.isDropTarget());
    EXPECT_EQ(topMiddle(target, 1), app::PanelColor::controlAccent.resolved());
    QDragLeaveEvent leaveRow;
    QApplication::sendEvent(&target, &leaveRow);
    EXPECT_FALSE(target.isDropTarget());
    EXPECT_NE(topMiddle(target, 1), app::PanelColor::controlAccent.resolved());

    // Over an empty band: its outline turns to the accent colour, 3 points wide.
    SectionBand& band = page->band(Section::alwaysHidden);
    EXPECT_NE(Dragged::enter(band.placeholder(), dragged.data), nullptr);
    EXPECT_TRUE(band.isTargeted());
    EXPECT_EQ(topMiddle(band.box(), 2), app::PanelColor::controlAccent.resolved());
    QDragLeaveEvent leaveBand;
    QApplication::sendEvent(&band.box(), &leaveBand);
    EXPECT_FALSE(band.isTargeted());
    EXPECT_NE(topMiddle(band.box(), 2), app::PanelColor::controlAccent.resolved());

    // Text that is not text is taken by neither.
    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_ARGB32));
    EXPECT_EQ(Dragged::enter(target, image), nullptr);
    EXPECT_FALSE(target.isDropTarget());
}

TEST_F(Page, TheNewItemChoicesAskTheModelAndFollowTheProfile) {
    auto& placement = page->newItemPlacement();
    EXPECT_EQ(placement.chosen(), Section::hidden);
    EXPECT_TRUE(placement.choice(Section::hidden).property("selected").toBool());
    pellacor::testing::LogCapture log;
    placement.choice(Section::hidden).click();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(log.messages("app").empty());

    placement.choice(Section::alwaysHidden).click();
    EXPECT_EQ(calls, std::vector<std::string>{"onChange"});
    EXPECT_EQ(placement.chosen(), Section::alwaysHidden);
    EXPECT_TRUE(placement.choice(Section::alwaysHidden).property("selected").toBool());
    EXPECT_FALSE(placement.choice(Section::hidden).property("selected").toBool());

    // A profile switch moves the mark without any action on the page.
    Profile other = profile;
    other.newItemSection = Section::shown;
    model.setProfile(other);
    EXPECT_EQ(placement.chosen(), Section::shown);
    EXPECT_TRUE(placement.choice(Section::shown).property("selected").toBool());
}

} // namespace PELLACOR_TEST_FILE
