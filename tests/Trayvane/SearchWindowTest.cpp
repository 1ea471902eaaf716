#include "Trayvane/Panels/SearchWindow.h"

#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "DemoDesktop/SyntheticClick.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "ProgramOnDesktop.h"
#include "Support/LogCapture.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Panels/SearchField.h"
#include "Trayvane/Panels/SearchPanel.h"
#include "Trayvane/Panels/SearchRow.h"
#include "Trayvane/Panels/SearchRows.h"
#include "Trayvane/Panels/SearchView.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SearchController;
using app::SearchModel;
using app::SearchRow;
using app::SearchWindow;
using core::BelowBarEntry;
using core::Rect;
using core::SearchCandidate;
using core::Section;

namespace {

SearchCandidate candidate(const std::string& app, int index = 0, Section section = Section::hidden,
                          std::optional<int> ordinal = std::nullopt) {
    return {BelowBarEntry{"com.example." + app, index, 700 + index, ordinal}, section};
}

// Names in katakana, half-width katakana and full-width Latin letters, and an
// application with two items.
const std::map<std::string, std::string> names{
    {"com.example.fern", "フェルンライト"},
    {"com.example.fairy", "ﾌｪｱﾘｰ"},
    {"com.example.wide", "Ｆｅｒｎｐａｄ"},
    {"com.example.cobalt", "Cobaltide"},
    {"com.example.quill", "Quillow Sync"},
    {"com.example.rnd", "R&D"},
    {"com.example.amps", "&&"},
};

// The real panel over the default simulated desktop (one 1512 × 982 screen),
// driven through its controller as the program drives it.
struct SearchWindowTest : ::testing::Test, pellacor::testing::DesktopWithIcons {
    std::shared_ptr<SearchModel> model = std::make_shared<SearchModel>([](const std::string& id) {
        const auto found = names.find(id);
        return found == names.end() ? id : found->second;
    });
    std::shared_ptr<SearchWindow> window = makeWindow(platform->screens());
    std::unique_ptr<SearchController> controller = makeController();
    std::vector<BelowBarEntry> pressed;
    // Whether the panel was still visible when the press arrived.
    std::vector<bool> visibleAtPress;
    int beeps = 0;
    bool busy = false;
    pellacor::testing::LogCapture log;
    const std::vector<SearchCandidate> five{
        candidate("cobalt", 0, Section::shown),      candidate("fern"),
        candidate("quill", 0, Section::hidden, 1),   candidate("quill", 1, Section::hidden, 2),
        candidate("wide", 0, Section::alwaysHidden), candidate("fairy", 0, Section::alwaysHidden),
    };

    std::shared_ptr<SearchWindow> makeWindow(std::shared_ptr<platform::Screens> screens) {
        return std::make_shared<SearchWindow>(SearchWindow::Services{
            std::move(screens), platform->input(), platform->programWindows(), icons, {}});
    }
    std::unique_ptr<SearchController> makeController() {
        auto result = std::make_unique<SearchController>(model, window, icons, [this] { ++beeps; });
        result->onPress = [this](const BelowBarEntry& entry) {
            pressed.push_back(entry);
            visibleAtPress.push_back(window->panel()->isVisible());
        };
        result->isBusy = [this] { return busy; };
        return result;
    }
    app::SearchView* view() const { return window->view(); }
    app::SearchField* field() const { return view()->field(); }
    SearchRow* row(const SearchCandidate& c) const {
        return window->panel()->findChild<SearchRow*>(QString::fromStdString("search:" + c.id()));
    }
    // The labels of the rows on screen, top to bottom.
    std::vector<std::string> shownLabels() const {
        std::vector<std::string> result;
        for (std::size_t i = 0; i < view()->rows()->count(); ++i) {
            if (const auto* made = view()->rows()->row(i)) {
                result.push_back(made->label().toStdString());
            }
        }
        return result;
    }
    void key(QWidget* target, int code, const QString& text = {}) const {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    }
    // Typed as a keyboard would: each character to the widget that has the focus.
    void type(const QString& text) const {
        for (const QChar character : text) {
            QWidget* focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr);
            key(focused, 0, QString(character));
        }
    }
    std::vector<platform::SimulatedDesktop::Window> panelWindows() const {
        std::vector<platform::SimulatedDesktop::Window> result;
        for (const auto& w : platform->desktop()->windows()) {
            if (w.layer == app::SearchPanel::level) {
                result.push_back(w);
            }
        }
        return result;
    }
    std::vector<std::string> closeLines() const {
        std::vector<std::string> result;
        for (const auto& record : log.matching("検索の窓を閉じました")) {
            result.push_back(record.message);
        }
        return result;
    }
};

} // namespace

TEST(SearchWindowPlacementTest, CentredWithItsTopAFifthOfTheScreenDownAndKeptOnIt) {
    struct Case {
        const char* what;
        core::Size size;
        Rect screen;
        Rect frame;
    };
    const std::vector<Case> cases{
        {"centred", {520, 400}, Rect(0, 0, 1512, 982), Rect(496, 982 - 196.4 - 400, 520, 400)},
        {"a second screen", {520, 400}, Rect(1512, -98, 1920, 1080), Rect(2212, 982 - 216 - 400, 520, 400)},
        {"wider than the screen", {900, 300}, Rect(100, 0, 800, 600), Rect(100, 600 - 120 - 300, 900, 300)},
        {"taller than the screen", {520, 700}, Rect(0, 50, 1024, 600), Rect(252, 50, 520, 700)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SearchWindow::placement(c.size, c.screen), c.frame) << c.what;
    }
}

TEST_F(SearchWindowTest, OpensCentredOnThePointersScreenAsAKeyWindowOfTheProgram) {
    platform->desktop()->setScreens({platform::SimulatedScreen{Rect(0, 0, 1512, 982), 24, 180},
                                     platform::SimulatedScreen{Rect(1512, 0, 1920, 1080), 24}});
    platform->input()->moveMouse({2000, 500});
    controller->show(five);
    ASSERT_NE(window->panel(), nullptr);
    EXPECT_TRUE(window->panel()->isVisible());
    EXPECT_TRUE(window->panel()->isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), field()) << "the field takes the keyboard at once";
    EXPECT_EQ(window->panel()->objectName(), "search:panel");
    EXPECT_EQ(field()->objectName(), "search:field");

    const QSize size = window->panel()->size();
    EXPECT_EQ(size.width(), 520);
    EXPECT_EQ(view()->scrollArea()->parentWidget()->height(), 352);
    const Rect expected =
        SearchWindow::placement({520, static_cast<double>(size.height())}, Rect(1512, 0, 1920, 1080));
    EXPECT_EQ(window->frame(), expected);
    // On the real screen, measured from the first screen's top.
    EXPECT_EQ(window->panel()->pos(),
              QPoint(static_cast<int>(expected.minX()), static_cast<int>(982 - expected.maxY())));
    const auto listed = panelWindows();
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_EQ(listed[0].bounds, core::convertScreenSpace(expected, Rect(0, 0, 1512, 982)));
    EXPECT_EQ(log.matching("検索の窓を出しました").at(0).message,
              "検索の窓を出しました（候補 6 個・キー true・位置 " + expected.description() + "）");

    controller->close("ホットキー");
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_TRUE(panelWindows().empty());

    // The pointer on no screen: the first screen.
    platform->input()->moveMouse({-500, -500});
    controller->show(five);
    EXPECT_EQ(window->frame(),
              SearchWindow::placement({520, static_cast<double>(size.height())}, Rect(0, 0, 1512, 982)));
}

TEST_F(SearchWindowTest, WithoutScreensThePanelKeepsItsFrameAndStillOpens) {
    window = makeWindow(std::make_shared<pellacor::testing::NoScreens>());
    controller = makeController();
    controller->show(five);
    EXPECT_TRUE(controller->isOpen());
    EXPECT_TRUE(window->panel()->isVisible());
    EXPECT_EQ(window->frameDescription(), "(0, 0, 0, 0)");
    EXPECT_TRUE(panelWindows().empty()) << "no place to list it at";
}

TEST_F(SearchWindowTest, TypedJapaneseNarrowsTheListToKatakanaAndHalfWidthNames) {
    controller->show(five);
    EXPECT_EQ(shownLabels(), (std::vector<std::string>{"Cobaltide", "フェルンライト", "Quillow Sync 1",
                                                       "Quillow Sync 2", "Ｆｅｒｎｐａｄ", "ﾌｪｱﾘｰ"}));
    type("ふぇ");
    EXPECT_EQ(field()->text(), "ふぇ");
    EXPECT_EQ(model->query(), "ふぇ");
    EXPECT_EQ(shownLabels(), (std::vector<std::string>{"フェルンライト", "ﾌｪｱﾘｰ"}));

    // A query in full-width capitals finds the full-width name.
    field()->clear();
    type("ＰＡＤ");
    EXPECT_EQ(shownLabels(), (std::vector<std::string>{"Ｆｅｒｎｐａｄ"}));
}

TEST_F(SearchWindowTest, TheListNarrowsWhileAnInputMethodIsStillComposing) {
    controller->show(five);
    QInputMethodEvent composing("ふぇ", {});
    QApplication::sendEvent(field(), &composing);
    EXPECT_EQ(model->query(), "ふぇ");
    EXPECT_TRUE(field()->text().isEmpty()) << "nothing committed yet";
    EXPECT_EQ(shownLabels(), (std::vector<std::string>{"フェルンライト", "ﾌｪｱﾘｰ"}));

    QInputMethodEvent committed;
    committed.setCommitString("フェ");
    QApplication::sendEvent(field(), &committed);
    EXPECT_EQ(field()->text(), "フェ");
    EXPECT_EQ(model->query(), "フェ");
    EXPECT_EQ(shownLabels(), (std::vector<std::string>{"フェルンライト", "ﾌｪｱﾘｰ"}));
}

TEST_F(SearchWindowTest, ArrowKeysMoveTheSelectionAndReturnPressesAfterClosing) {
    controller->show(five);
    type("quill");
    ASSERT_EQ(shownLabels().size(), 2U);
    EXPECT_TRUE(view()->rows()->row(0)->isSelected());
    key(field(), Qt::Key_Up);
    EXPECT_EQ(model->selection(), 0) << "Up on the first row stays";
    key(field(), Qt::Key_Down);
    key(field(), Qt::Key_Down);
    EXPECT_EQ(model->selection(), 1) << "Down on the last row stays";
    EXPECT_FALSE(view()->rows()->row(0)->isSelected());
    EXPECT_TRUE(view()->rows()->row(1)->isSelected());
    EXPECT_EQ(field()->text(), "quill") << "the arrows do not edit the text";

    key(field(), Qt::Key_Return);
    EXPECT_EQ(pressed, std::vector<BelowBarEntry>{five[3].entry});
    EXPECT_EQ(visibleAtPress, std::vector<bool>{false}) << "the panel is gone before the press";
    EXPECT_FALSE(controller->isOpen());
    EXPECT_EQ(closeLines(), std::vector<std::string>{"検索の窓を閉じました（押した）"});
    EXPECT_TRUE(field()->text().isEmpty()) << "the field follows the cleared query";
}

TEST_F(SearchWindowTest, ReturnWithNoResultsDoesNothing) {
    controller->show(five);
    type("zzz");
    key(field(), Qt::Key_Return);
    EXPECT_TRUE(pressed.empty());
    EXPECT_TRUE(controller->isOpen());
    EXPECT_TRUE(window->panel()->isVisible());
}

TEST_F(SearchWindowTest, AClickOnARowSelectsAndPressesIt) {
    controller->show(five);
    SearchRow* target = row(five[4]);
    ASSERT_NE(target, nullptr);
    demo::sendClick(*target, QRectF(target->rect()).center());
    EXPECT_EQ(pressed, std::vector<BelowBarEntry>{five[4].entry});
    EXPECT_FALSE(controller->isOpen());
}

// An application's name is shown as it is; an "&" in it is no shortcut mark.
TEST_F(SearchWindowTest, AnAmpersandInANameIsShownAsItIsAndMakesNoShortcut) {
    const std::vector<SearchCandidate> amps{candidate("rnd"), candidate("amps")};
    controller->show(amps);
    for (const auto& [shown, name] : {std::pair{amps[0], "R&D"}, std::pair{amps[1], "&&"}}) {
        SCOPED_TRACE(name);
        SearchRow* target = row(shown);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->label(), name);
        EXPECT_TRUE(target->shortcut().isEmpty()) << target->shortcut().toString().toStdString();
    }
}

TEST_F(SearchWindowTest, APressWhileOneIsPendingBeepsAndLeavesThePanelAsItWas) {
    controller->show(five);
    type("quill");
    key(field(), Qt::Key_Down);
    busy = true;
    key(field(), Qt::Key_Return);
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(pressed.empty());
    EXPECT_TRUE(window->panel()->isVisible());
    EXPECT_EQ(field()->text(), "quill");
    EXPECT_TRUE(view()->rows()->row(1)->isSelected());
    EXPECT_EQ(log.matching("前に押したのを待っている").size(), 1U);
}

TEST_F(SearchWindowTest, EscapeInTheFieldAtThePanelOrTheCloseCommandClosesOnce) {
    app::MainMenuActions menu(app::MainMenu::make());
    const std::vector<std::pair<const char*, std::function<void()>>> ways{
        {"Escape in the field", [this] { key(field(), Qt::Key_Escape); }},
        {"Escape at the panel", [this] { key(window->panel(), Qt::Key_Escape); }},
        {"the close command", [&menu] { menu.perform("performClose:"); }},
    };
    for (const auto& [what, dismiss] : ways) {
        log.clear();
        controller->show(five);
        ASSERT_TRUE(window->panel()->isActiveWindow()) << what;
        dismiss();
        dismiss();
        EXPECT_FALSE(controller->isOpen()) << what;
        EXPECT_FALSE(window->panel()->isVisible()) << what;
        EXPECT_EQ(closeLines(), std::vector<std::string>{"検索の窓を閉じました（Esc）"}) << what;
    }
}

TEST_F(SearchWindowTest, LosingTheActivationClosesWithClickedElsewhereButAProgramCloseOnlyOnce) {
    QWidget elsewhere;
    elsewhere.resize(200, 100);
    controller->show(five);
    ASSERT_TRUE(window->panel()->isActiveWindow());
    elsewhere.show();
    elsewhere.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller->isOpen());
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_EQ(closeLines(), std::vector<std::string>{"検索の窓を閉じました（ほかを押した）"});

    log.clear();
    controller->show(five);
    ASSERT_TRUE(window->panel()->isActiveWindow());
    controller->close("司令塔");
    elsewhere.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(closeLines(), std::vector<std::string>{"検索の窓を閉じました（司令塔）"})
        << "hiding the panel is not the user clicking elsewhere";
}

TEST_F(SearchWindowTest, TheListAreaSaysWhyNothingIsListed) {
    controller->show({});
    const QLabel* empty = view()->emptyText();
    EXPECT_EQ(empty->objectName(), "search:empty");
    EXPECT_TRUE(empty->isVisible());
    EXPECT_EQ(empty->text(), "メニューバーのアイコンをまだ読めていません");
    EXPECT_FALSE(view()->scrollArea()->isVisible());
    controller->close("Esc");

    controller->show(five); // the content is built afresh
    EXPECT_FALSE(view()->emptyText()->isVisible());
    type("zzz");
    EXPECT_TRUE(view()->emptyText()->isVisible());
    EXPECT_EQ(view()->emptyText()->text(), "合うアプリはありません");
    key(field(), Qt::Key_Backspace);
    key(field(), Qt::Key_Backspace);
    key(field(), Qt::Key_Backspace);
    EXPECT_FALSE(view()->emptyText()->isVisible());
    EXPECT_EQ(shownLabels().size(), 6U);
}

TEST_F(SearchWindowTest, RowsShowNameOrdinalSectionAndIcon) {
    controller->show(five);
    struct Case {
        SearchCandidate listed;
        const char* accessible;
    };
    const std::vector<Case> cases{
        {five[0], "Cobaltide（表示）"},
        {five[2], "Quillow Sync 1（隠す）"},
        {five[3], "Quillow Sync 2（隠す）"},
        {five[4], "Ｆｅｒｎｐａｄ（いつも隠す）"},
    };
    for (const auto& c : cases) {
        const SearchRow* made = row(c.listed);
        ASSERT_NE(made, nullptr) << c.listed.id();
        EXPECT_EQ(made->accessibleName().toStdString(), c.accessible);
        EXPECT_EQ(made->height(), 40);
    }
    // The rows stand 2 points apart inside 6 points of padding.
    EXPECT_EQ(row(five[0])->geometry().top(), 6);
    EXPECT_EQ(row(five[2])->geometry().top(), 6 + 2 * 42);
    EXPECT_FALSE(row(five[1])->hasIcon()) << "a placeholder until the icon arrives";
    executor.runUntilIdle();
    EXPECT_TRUE(row(five[1])->hasIcon());
}

TEST_F(SearchWindowTest, HundredsOfCandidatesMakeOnlyTheRowsInViewAndTheSelectionScrollsIntoIt) {
    std::vector<SearchCandidate> many;
    for (int i = 0; i < 500; ++i) {
        many.push_back(candidate("app" + std::to_string(i)));
    }
    controller->show(many);
    const auto madeRows = [this] { return window->panel()->findChildren<SearchRow*>().size(); };
    EXPECT_LE(madeRows(), 12) << "about the nine rows that fit in 352 points";
    EXPECT_GE(madeRows(), 8);
    QScrollBar* bar = view()->scrollArea()->verticalScrollBar();
    EXPECT_EQ(bar->value(), 0);

    for (int i = 0; i < 20; ++i) {
        key(field(), Qt::Key_Down);
    }
    EXPECT_EQ(model->selection(), 20);
    SearchRow* selected = view()->rows()->row(20);
    ASSERT_NE(selected, nullptr) << "made as it came into view";
    EXPECT_TRUE(selected->isSelected());
    const QRect inViewport(selected->mapTo(view()->scrollArea()->viewport(), QPoint(0, 0)), selected->size());
    const QRect viewport = view()->scrollArea()->viewport()->rect();
    EXPECT_TRUE(viewport.contains(inViewport)) << "scrolled into view";
    EXPECT_EQ(inViewport.bottom(), viewport.bottom() - 6) << "and no further than needed, with the padding";

    key(field(), Qt::Key_Down);
    EXPECT_EQ(bar->value(), 6 + 42 * 21 + 40 + 6 - viewport.height()) << "one row further down";
    for (int i = 0; i < 21; ++i) {
        key(field(), Qt::Key_Up);
    }
    EXPECT_EQ(bar->value(), 0) << "the first row back at the top, with its padding";
    EXPECT_LT(madeRows(), 40);
}

} // namespace PELLACOR_TEST_FILE
