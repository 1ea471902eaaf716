#include "DemoDesktop/DesktopReport.h"

#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;

namespace {

// The words of the report's controls line.
std::vector<std::string> controls(const platform::SimulatedPlatform& platform,
                                  const demo::DesktopView& view) {
    std::istringstream text(demo::DesktopReport::of(platform, view));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines.back().rfind("desktop hot keys: ", 0), 0U) << "the hot keys stay last";
    const std::string prefix = "desktop controls: ";
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    EXPECT_NE(line, lines.end());
    std::vector<std::string> words;
    if (line != lines.end()) {
        std::istringstream split(line->substr(prefix.size()));
        for (std::string word; split >> word;) {
            words.push_back(word);
        }
    }
    return words;
}

std::string at(const std::string& name, QPoint point) {
    return name + "@" + std::to_string(point.x()) + "," + std::to_string(point.y());
}

// How often a name is told, wherever.
long told(const std::vector<std::string>& words, const std::string& name) {
    return std::count_if(words.begin(), words.end(),
                         [&](const std::string& word) { return word.rfind(name + "@", 0) == 0; });
}

} // namespace

TEST(DesktopReportControlsTest, TellsTheNamedWidgetsAPersonCanSeeAndUseWhereTheyCanBeClicked) {
    pellacor::testing::offscreenApplication();
    const auto platform = std::make_shared<platform::SimulatedPlatform>();
    demo::DesktopView view(platform);

    QWidget window;
    window.setObjectName("report:window");
    window.setGeometry(200, 150, 300, 200);
    auto* go = new QPushButton("Go", &window);
    go->setObjectName("panel:go");
    go->setGeometry(10, 10, 80, 30);
    auto* off = new QPushButton("Off", &window);
    off->setObjectName("panel:off");
    off->setGeometry(10, 50, 80, 30);
    off->setEnabled(false);
    auto* hidden = new QPushButton("Hidden", &window);
    hidden->setObjectName("panel:hidden");
    hidden->setGeometry(10, 90, 80, 30);
    auto* spaced = new QPushButton("Two", &window);
    spaced->setObjectName("two words 100%");
    spaced->setGeometry(100, 10, 80, 30);
    auto* inner = new QPushButton("Inner", &window);
    inner->setObjectName("qt_inner");
    inner->setGeometry(100, 50, 80, 30);
    auto* unnamed = new QPushButton("Unnamed", &window);
    unnamed->setGeometry(100, 90, 80, 30);
    // Half of it lies beyond the window's right edge: a click must land on the half that shows.
    auto* clipped = new QPushButton("Clipped", &window);
    clipped->setObjectName("panel:clipped");
    clipped->setGeometry(250, 150, 100, 20);
    // A sheet over the window is a window of its own, told once.
    auto* sheet = new QDialog(&window);
    sheet->setObjectName("report:sheet");
    sheet->setGeometry(260, 200, 160, 80);
    auto* commit = new QPushButton("Commit", sheet);
    commit->setObjectName("sheet:commit");
    commit->setGeometry(20, 20, 100, 30);
    window.show();
    hidden->hide();
    sheet->show();

    auto words = controls(*platform, view);
    EXPECT_EQ(told(words, "report:window"), 1);
    EXPECT_EQ(told(words, "panel:go"), 1);
    EXPECT_NE(std::find(words.begin(), words.end(), at("panel:go", go->mapToGlobal(go->rect().center()))),
              words.end());
    EXPECT_EQ(told(words, "panel:off"), 0) << "a disabled control is none to click";
    EXPECT_EQ(told(words, "panel:hidden"), 0);
    EXPECT_EQ(told(words, "two%20words%20100%25"), 1) << "a name with spaces stays one word";
    EXPECT_EQ(told(words, "qt_inner"), 0);
    EXPECT_EQ(std::count_if(words.begin(), words.end(), [](const std::string& w) { return w[0] == '@'; }), 0)
        << "an unnamed widget is not told";
    EXPECT_NE(std::find(words.begin(), words.end(), at("panel:clipped", clipped->mapToGlobal(QPoint(24, 9)))),
              words.end())
        << "the centre of the 50 points that show, not of the whole button";
    EXPECT_EQ(told(words, "sheet:commit"), 1);
    EXPECT_NE(std::find(words.begin(), words.end(),
                        at("sheet:commit", commit->mapToGlobal(commit->rect().center()))),
              words.end());

    // An open menu tells its named, enabled entries where they are drawn.
    QMenu menu;
    menu.setObjectName("report:menu");
    QAction* first = menu.addAction("First");
    first->setObjectName("entry:first");
    menu.addSeparator();
    QAction* disabled = menu.addAction("Disabled");
    disabled->setObjectName("entry:disabled");
    disabled->setEnabled(false);
    menu.addAction("Unnamed");
    EXPECT_EQ(told(words, "entry:first"), 0);
    menu.popup(QPoint(400, 300));
    words = controls(*platform, view);
    EXPECT_EQ(told(words, "report:menu"), 1);
    EXPECT_NE(std::find(words.begin(), words.end(),
                        at("entry:first", menu.mapToGlobal(menu.actionGeometry(first).center()))),
              words.end());
    EXPECT_EQ(told(words, "entry:disabled"), 0);

    menu.hide();
    window.hide();
    words = controls(*platform, view);
    EXPECT_EQ(told(words, "entry:first"), 0) << "a closed menu's entries are gone";
    EXPECT_EQ(told(words, "panel:go"), 0) << "a hidden window's controls are gone";
}

} // namespace PELLACOR_TEST_FILE
