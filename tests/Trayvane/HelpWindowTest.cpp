#include "Trayvane/Help/HelpWindow.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Support/Localized.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/LogCapture.h"
#include "Trayvane/Help/HelpFindBar.h"
#include "Trayvane/Help/HelpTextView.h"
#include "Trayvane/Theme/AppFont.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::HelpTopic;
using app::HelpWindow;

namespace {

// A help text long enough that its last items lie well below the window's
// first screenful.
std::string longHelp() {
    std::string text = "# 題\n## はじめに\n### 最初\n**強調**と本文\n- 点\n1. 手順\n";
    for (int i = 0; i < 12; ++i) {
        text += "### 項目" + std::to_string(i) + "\n" + std::string(40, 'x') + "\n\n" + std::string(40, 'y') +
                "\n";
    }
    text += "## うまく動かないとき\n### 何も隠れない\n本文\n### **太字**の項目\n本文\n";
    return text;
}

struct HelpWindowTest : ::testing::Test {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    pellacor::testing::LogCapture log;
    std::optional<std::string> text = longHelp();
    int loads = 0;
    HelpWindow help{
        HelpWindow::Services{platform->screens(), platform->input(), {}, platform->programWindows()},
        [this]() -> std::optional<core::HelpDocument> {
            ++loads;
            if (!text) {
                return std::nullopt;
            }
            return core::HelpDocument::parse(*text);
        },
        "ja"};

    ~HelpWindowTest() override { help.close(); }

    QTextDocument& document() const { return *help.text()->document(); }
    int scrolled() const { return help.text()->verticalScrollBar()->value(); }
    std::vector<std::string> contentsTitles() const {
        std::vector<std::string> titles;
        for (int i = 0; i < help.contents()->count(); ++i) {
            const auto* label = help.contents()->itemWidget(help.contents()->item(i))->findChild<QLabel*>();
            titles.push_back(label->text().toStdString());
        }
        return titles;
    }
};

} // namespace

TEST_F(HelpWindowTest, ShowsTheContentsAndTheTextOfTheDocument) {
    EXPECT_EQ(help.window(), nullptr) << "made on the first show";
    help.show();
    ASSERT_NE(help.window(), nullptr);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.window()->objectName(), "help");
    EXPECT_EQ(help.window()->windowTitle(), "Pellacor のヘルプ");
    EXPECT_EQ(help.window()->minimumSize(), QSize(760, 480));
    EXPECT_EQ(help.contents()->accessibleName(), "目次");
    EXPECT_EQ(help.text()->accessibleName(), "ヘルプの本文");
    EXPECT_TRUE(help.text()->isReadOnly());

    const auto titles = contentsTitles();
    ASSERT_EQ(titles.size(), 17U);
    EXPECT_EQ(titles.front(), "はじめに");
    EXPECT_EQ(titles[1], "最初");
    EXPECT_EQ(titles[14], "うまく動かないとき");
    EXPECT_EQ(titles.back(), "**太字**の項目") << "the contents show the markers";
    EXPECT_EQ(help.contents()->selectedItems().size(), 0);

    // Each row's start is where its heading's block begins in the text.
    for (const auto& row : help.page().rows) {
        const QTextBlock block = document().findBlock(static_cast<int>(row.start));
        EXPECT_EQ(block.position(), static_cast<int>(row.start)) << row.title;
        const std::string shown = block.text().toStdString();
        EXPECT_EQ(shown.find("**"), std::string::npos) << shown;
    }
    EXPECT_EQ(document().characterCount(), static_cast<int>(help.page().length()))
        << "one position per unit and per paragraph end";
    EXPECT_EQ(log.matching("ヘルプの窓を開きました（作って・項目 15）").size(), 1U);
}

TEST_F(HelpWindowTest, EmphasisIsABodyFontOfItsOwnAndOnlyMarkersLeaveHeadings) {
    help.show();
    const auto fontAt = [&](const std::string& title, int offset) {
        for (QTextBlock block = document().begin(); block.isValid(); block = block.next()) {
            if (block.text().toStdString() == title) {
                QTextCursor cursor(block);
                cursor.setPosition(block.position() + offset + 1);
                return cursor.charFormat().font();
            }
        }
        ADD_FAILURE() << title;
        return QFont();
    };
    EXPECT_EQ(fontAt("強調と本文", 0).weight(), app::AppFont::nsBodyEmphasis().weight());
    EXPECT_EQ(fontAt("強調と本文", 3).weight(), app::AppFont::nsBody().weight());
    const QFont heading = fontAt("太字の項目", 0);
    EXPECT_EQ(heading.pixelSize(), app::AppFont::nsHelpItem().pixelSize())
        << "heading font, emphasised or not";
    EXPECT_EQ(fontAt("太字の項目", 3).pixelSize(), heading.pixelSize());

    const QTextBlock bullet = document().findBlock(static_cast<int>(help.page().paragraphs[4].start));
    EXPECT_EQ(bullet.text().toStdString(), "•\t点");
    EXPECT_EQ(bullet.blockFormat().leftMargin(), 28);
    EXPECT_EQ(bullet.next().text().toStdString(), "1.\t手順");
}

TEST_F(HelpWindowTest, ATopicJumpsToItsItem) {
    help.show(HelpTopic::nothingHidden);
    const auto row = help.page().itemRow("何も隠れない");
    ASSERT_TRUE(row);
    EXPECT_EQ(help.contents()->currentRow(), static_cast<int>(*row));
    const int start = static_cast<int>(help.page().rows[*row].start);
    EXPECT_EQ(help.text()->textCursor().position(), start);
    EXPECT_FALSE(help.text()->textCursor().hasSelection());
    const auto top = help.text()->lineTop(start);
    ASSERT_TRUE(top);
    const int wanted = static_cast<int>(*top - 8);
    const int reachable = help.text()->verticalScrollBar()->maximum();
    EXPECT_GT(scrolled(), 0);
    EXPECT_EQ(scrolled(), std::min(wanted, reachable));
    EXPECT_TRUE(log.matching("ヘルプに飛び先の項目が見つかりませんでした").empty());
}

TEST_F(HelpWindowTest, AnInstalledTranslationOfATopicsHeadingIsJumpedTo) {
    text = "# Help\n## Trouble\n### Rien n'est caché\nTexte\n";
    core::installTranslations({{"何も隠れない", "Rien n'est caché"}});
    help.show(HelpTopic::nothingHidden);
    core::installTranslations({});
    EXPECT_EQ(help.contents()->currentRow(), 1);
    EXPECT_EQ(log.matching("ヘルプの「Rien n'est caché」の項目を開きました").size(), 1U);
}

TEST_F(HelpWindowTest, ATopicWithoutItemLeavesTheWindowAtTheTopAndSaysSo) {
    text = "# 題\n## 分類\n### 別の項目\n本文\n";
    help.show(HelpTopic::hotkeys);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(scrolled(), 0);
    EXPECT_EQ(help.contents()->currentRow(), -1);
    const auto missed = log.matching("ヘルプに飛び先の項目が見つかりませんでした");
    ASSERT_EQ(missed.size(), 1U);
    EXPECT_EQ(missed[0].level, core::LogLevel::defaultLevel);
    EXPECT_EQ(missed[0].category, "app");
}

TEST_F(HelpWindowTest, ARowChosenInTheContentsScrollsTheTextThere) {
    help.show();
    const int last = help.contents()->count() - 1;
    help.contents()->setCurrentRow(last);
    EXPECT_EQ(help.text()->textCursor().position(), static_cast<int>(help.page().rows.back().start));
    EXPECT_GT(scrolled(), 0);
    help.contents()->setCurrentRow(0);
    const auto top = help.text()->lineTop(static_cast<int>(help.page().rows.front().start));
    ASSERT_TRUE(top);
    EXPECT_EQ(scrolled(), static_cast<int>(*top - 8)) << "a group row can be chosen too";
}

TEST_F(HelpWindowTest, TheFindBarFindsAsTheUserTypesAndReturnGoesOnWrapping) {
    text = "# 題\n## 分類\n### 一\n青い空\n### 二\n青い海\n";
    help.show();
    auto* find = help.findBar();
    ASSERT_NE(find, nullptr);
    EXPECT_FALSE(find->isVisible()) << "hidden until asked for";
    ASSERT_TRUE(QTest::qWaitForWindowActive(help.window(), 30000));
    QTest::keyClick(help.text(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(find->isVisible()) << "⌃F";
    EXPECT_TRUE(find->hasFocus());
    const auto selected = [&] { return help.text()->textCursor().selectedText().toStdString(); };
    const auto at = [&] { return help.text()->textCursor().selectionStart(); };
    // Typed as the keyboard would, one character at a time.
    const auto type = [&](const QString& typed) {
        for (const QChar character : typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
            QApplication::sendEvent(find, &press);
        }
    };

    type("青い");
    EXPECT_EQ(selected(), "青い");
    const int first = at();
    type("海");
    EXPECT_EQ(selected(), "青い海") << "a longer query moves on only when it must";
    const int sea = at();
    EXPECT_GT(sea, first);

    find->setText("青い");
    EXPECT_TRUE(find->find(false));
    EXPECT_EQ(at(), first) << "past the last match: from the top again";
    EXPECT_TRUE(find->find(false));
    EXPECT_EQ(at(), sea);
    find->setText("雲");
    EXPECT_FALSE(find->find(true));
    EXPECT_EQ(at(), sea) << "nothing found leaves the text as it was";

    QTest::keyClick(find, Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
}

TEST_F(HelpWindowTest, WithoutDocumentTheWindowStillOpensAndSaysWhatIsWrong) {
    text.reset();
    help.show(HelpTopic::nothingHidden);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.contents()->count(), 0);
    const QString shown = document().toPlainText();
    EXPECT_EQ(shown, "ヘルプを読み込めませんでした\n"
                     "アプリの中にヘルプの本文（Help.md）が見つかりません。アプリを組み立て直すと直ります。");
    QTextCursor title(&document());
    title.setPosition(1);
    EXPECT_EQ(title.charFormat().font().pixelSize(), app::AppFont::nsHelpTitle().pixelSize());
    const auto failed = log.matching("ヘルプの本文を読み込めませんでした");
    ASSERT_EQ(failed.size(), 1U);
    EXPECT_EQ(failed[0].level, core::LogLevel::error);
    EXPECT_EQ(log.matching("ヘルプに飛び先の項目が見つかりませんでした").size(), 1U);
    EXPECT_EQ(log.matching("ヘルプの窓を開きました（作って・項目 0）").size(), 1U);
}

TEST_F(HelpWindowTest, AnOpenWindowIsOnlyBroughtForwardAClosedOneIsReadAgain) {
    help.show();
    QWidget* window = help.window();
    help.contents()->setCurrentRow(3);
    const int position = scrolled();
    help.show();
    EXPECT_EQ(help.window(), window);
    EXPECT_EQ(loads, 1) << "not reloaded while open";
    EXPECT_EQ(help.contents()->currentRow(), 3) << "keeps its selection";
    EXPECT_EQ(scrolled(), position);
    EXPECT_EQ(log.matching("（作って・").size(), 1U);
    EXPECT_EQ(log.matching("（作り直さずに・").size(), 1U);

    window->close();
    text = "# 新しい題\n## 分類\n### ただ一つ\n本文\n";
    help.show();
    EXPECT_EQ(help.window(), window) << "kept, not made again";
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(contentsTitles(), (std::vector<std::string>{"分類", "ただ一つ"}));
    EXPECT_EQ(document().begin().text(), "新しい題");
    EXPECT_EQ(scrolled(), 0);
    EXPECT_EQ(help.contents()->currentRow(), -1);
    EXPECT_EQ(log.matching("ヘルプの窓を開きました（作り直さずに・項目 1）").size(), 1U);
}

// The program's own help texts, as built into it, open at every topic in
// both languages; an English reader whose English text is missing reads the
// Japanese one and still gets there.
TEST(BundledHelpWindowTest, EveryTopicFindsItsItemInBothLanguages) {
    pellacor::testing::offscreenApplication();
    pellacor::testing::LogCapture log;
    struct Case {
        std::string localization;
        HelpWindow::Loader loader;
        std::string title;
    };
    const std::vector<Case> cases{
        {"ja", [] { return HelpWindow::bundled("ja"); }, "Pellacor のヘルプ"},
        {"en-GB", [] { return HelpWindow::bundled("en-GB"); }, "Pellacor Help"},
        {"en", [] { return HelpWindow::bundled("ja"); }, "Pellacor のヘルプ"},
    };
    for (const auto& c : cases) {
        HelpWindow help({}, c.loader, c.localization);
        for (const auto topic : app::allHelpTopics) {
            help.show(topic);
            const int row = help.contents()->currentRow();
            ASSERT_GE(row, 0) << c.localization << " " << app::rawValue(topic);
            const auto& title = help.page().rows[static_cast<std::size_t>(row)].title;
            EXPECT_TRUE(title == app::title(topic, c.localization) || title == app::titleKey(topic)) << title;
            help.close();
        }
        EXPECT_EQ(help.text()->document()->begin().text().toStdString(), c.title);
    }
    EXPECT_TRUE(log.matching("見つかりませんでした").empty());
}

TEST(HelpSourceTest, FoldersForAPreferredLocalization) {
    struct Case {
        std::optional<std::string> preferred;
        std::vector<std::string> folders;
    };
    for (const auto& c : std::vector<Case>{{std::nullopt, {"ja.lproj"}},
                                           {"ja", {"ja.lproj"}},
                                           {"en", {"en.lproj", "ja.lproj"}},
                                           {"en-GB", {"en.lproj", "ja.lproj"}},
                                           {"EN", {"ja.lproj"}},
                                           {"fr", {"ja.lproj"}}}) {
        EXPECT_EQ(HelpWindow::helpFolders(c.preferred), c.folders) << c.preferred.value_or("none");
    }
    struct Languages {
        std::vector<std::string> languages;
        std::string localization;
    };
    for (const auto& c : std::vector<Languages>{{{"fr-FR", "en-GB", "ja"}, "en-GB"},
                                                {{"ja-JP", "en-US"}, "ja-JP"},
                                                {{"de", "fr"}, "ja"},
                                                {{}, "ja"}}) {
        EXPECT_EQ(HelpWindow::preferredLocalization(c.languages), c.localization);
    }
}

TEST(HelpSourceTest, TheHelpTextsAreResourcesOfTheProgram) {
    for (const char* path : {":/ja.lproj/Help.md", ":/en.lproj/Help.md"}) {
        QFile file(QString::fromLatin1(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
        EXPECT_EQ(core::HelpDocument::parse(file.readAll().toStdString()).problems,
                  std::vector<std::string>{})
            << path;
    }
    const auto english = HelpWindow::bundled("en-GB");
    ASSERT_TRUE(english);
    EXPECT_EQ(english->title, "Pellacor Help");
    const auto french = HelpWindow::bundled("fr");
    ASSERT_TRUE(french);
    EXPECT_EQ(french->title, "Pellacor のヘルプ");
}

TEST(HelpSourceTest, AFolderWithoutAUsableTextGivesWayToTheNext) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const auto write = [&](const char* folder, const QByteArray& bytes) {
        QDir(root.path()).mkpath(folder);
        QFile file(root.path() + "/" + folder + "/Help.md");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    EXPECT_EQ(HelpWindow::bundled("en", root.path()), std::nullopt) << "no folder at all";

    write("ja.lproj", "# 日本語\n## 分類\n### 項目\n本文\n");
    write("en.lproj", "# English\n## Group\n");
    EXPECT_EQ(HelpWindow::bundled("en", root.path())->title, "日本語") << "English without items";
    write("en.lproj", "# English\n## Group\n### Item\nText \xff\n");
    EXPECT_EQ(HelpWindow::bundled("en", root.path())->title, "日本語") << "English not UTF-8";
    write("en.lproj", "# English\n## Group\n### Item\nText\n");
    EXPECT_EQ(HelpWindow::bundled("en", root.path())->title, "English");
    EXPECT_EQ(HelpWindow::bundled("fr", root.path())->title, "日本語")
        << "only English speakers read English";
    write("ja.lproj", "# 日本語\n");
    EXPECT_EQ(HelpWindow::bundled("ja", root.path()), std::nullopt);
}

namespace {

// The program's own windows in the desktop's window list.
std::vector<core::Rect> programWindowBounds(const platform::SimulatedPlatform& platform) {
    const auto desktop = platform.desktop();
    const auto self = desktop->runningApplication("app.trayvane.pellacor");
    std::vector<core::Rect> bounds;
    for (const auto& window : desktop->windows()) {
        if (self && window.ownerProcessIdentifier == self->processIdentifier && window.layer == 0) {
            bounds.push_back(window.bounds);
        }
    }
    return bounds;
}

} // namespace

TEST_F(HelpWindowTest, ComesUpFortyPointsBelowTheTopShrunkToASmallScreenAndListedWhileOpen) {
    // A visible area of 1000 by 700 below a 24-point bar.
    platform->desktop()->setScreens({platform::SimulatedScreen{core::Rect(0, 0, 1000, 724), 24}});
    platform->input()->moveMouse({500, 300});
    help.show();
    QWidget* window = help.window();
    EXPECT_EQ(window->size(), QSize(960, 660)) << "40 points of the visible area left free each way";
    EXPECT_EQ(window->pos(), QPoint(20, 24 + 40));
    EXPECT_EQ(programWindowBounds(*platform), (std::vector<core::Rect>{core::Rect(20, 64, 960, 660)}));

    platform->input()->moveMouse({100, 100});
    help.show();
    EXPECT_EQ(window->pos(), QPoint(20, 64)) << "an open window stays where it is";

    window->close();
    EXPECT_TRUE(programWindowBounds(*platform).empty()) << "gone with its close button";
    platform->desktop()->setScreens({platform::SimulatedScreen{}});
    help.show();
    EXPECT_EQ(window->size(), QSize(960, 660)) << "a window that fits keeps its size";
    EXPECT_EQ(window->pos(), QPoint((1512 - 960) / 2, 64)) << "placed anew when it comes back";
    help.close();
    EXPECT_TRUE(programWindowBounds(*platform).empty());
}

} // namespace PELLACOR_TEST_FILE
