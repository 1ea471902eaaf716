// The sections page's edits over the whole program and the simulated desktop:
// what the page changes reaches the store, the coordinator and the bar.

#include "ProgramRun.h"
#include "SectionRowDrop.h"
#include "Support/LogCapture.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Settings/SectionBand.h"
#include "Trayvane/Settings/SectionsSettingsView.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using core::AppKey;
using core::MenuBarState;
using core::Section;
using pellacor::testing::Computer;
using pellacor::testing::hiddenApp;
using pellacor::testing::ProgramRun;
using Outcome = pellacor::testing::DesktopTime::Outcome;

TEST(SectionsDesktopTest, MovingAHiddenApplicationToShownPutsItsItemsOnTheBarAndSavesIt) {
    const Computer computer;
    int folderPanels = 0;
    ProgramRun run(computer, computer.scenario(), [&](app::AppDelegate::Environment& environment) {
        // The layout folder is not granted: writing the order asks for it.
        environment.layoutFolderPanel = [&](const app::LayoutFolderPanel::Request&, QWidget*,
                                            const app::LayoutFolderPanel::Completion&) {
            ++folderPanels;
            return app::LayoutFolderPanel::Dismiss{};
        };
    });
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    ASSERT_FALSE(run.onBar(hiddenApp));
    auto& sections = *delegate.settings().sectionsModel();
    ASSERT_EQ(sections.profile().section(AppKey(hiddenApp)), Section::hidden);
    const auto hiddenRows = sections.rows(Section::hidden);
    ASSERT_TRUE(std::any_of(hiddenRows.begin(), hiddenRows.end(), [](const core::SectionRow& row) {
        return row.id() == hiddenApp;
    })) << "the page shows what the coordinator read";

    const pellacor::testing::LogCapture log;
    ASSERT_TRUE(sections.move({hiddenApp}, Section::shown));
    EXPECT_EQ(run.coordinator().currentProfile().section(AppKey(hiddenApp)), Section::shown)
        << "handed to the coordinator at once";
    EXPECT_EQ(delegate.settingsStore()->activeProfile().section(AppKey(hiddenApp)), Section::shown)
        << "saved as the active profile";
    ASSERT_EQ(run.time->runUntil([&] { return run.onBar(hiddenApp); }, 10s), Outcome::done)
        << "the coordinator enforced the new profile on the bar";
    EXPECT_EQ(run.state(), MenuBarState::collapsed);
    EXPECT_TRUE(log.contains("app", "区画を変えました（com.example.fernlight → shown）"));
    run.time->settle();
    EXPECT_EQ(folderPanels, 1) << "then the order is written, which needs the layout folder";

    const auto shownRows = sections.rows(Section::shown);
    EXPECT_TRUE(std::any_of(shownRows.begin(), shownRows.end(), [](const core::SectionRow& row) {
        return row.id() == hiddenApp;
    })) << "the next read keeps the page in step";
}

TEST(SectionsDesktopTest, TheSettingsRefreshFeedsTheRunningApplicationsAndTheScreens) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    delegate.settings().refresh();
    run.time->settle();
    const auto& sections = *delegate.settings().sectionsModel();
    const auto screens = run.simulated->desktop()->screens();
    ASSERT_FALSE(screens.empty());
    ASSERT_EQ(sections.screens().size(), screens.size());
    EXPECT_EQ(sections.screens().front(), screens.front().frame);
    EXPECT_EQ(sections.running(), run.coordinator().runningBundleIDs());
    EXPECT_FALSE(sections.running().empty());
}

// The program keeps the hidden section off the bar while collapsed and the
// always-hidden one even while revealed: those applications are off the bar by
// its own doing, and no row tells the person to change a system setting for
// them, at any moment, while the page reads the bar as often as it likes.
TEST(SectionsDesktopTest, ApplicationsTheProgramKeepsOffTheBarAreNotSaidToBeHiddenByMacOS) {
    const Computer computer;
    auto scenario = computer.scenario();
    // Wide enough that the bar holds every application it is let show.
    scenario.screens.front() = platform::SimulatedScreen(core::Rect(0, 0, 4000, 982));
    for (auto& app : scenario.applications) {
        if (app.bundleIdentifier == hiddenApp) {
            app.placementDelay = 1500ms;
        }
    }
    ProgramRun run(computer, scenario);
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    auto& sections = *delegate.settings().sectionsModel();
    std::set<std::string> said;
    const auto watch = sections.observers.observe([&](auto) {
        for (const auto& row : sections.rows()) {
            if (row.hiddenByMacOS) {
                said.insert(row.id());
            }
        }
    });
    // The settings window's refresh, far more often than every 3 s.
    auto readingFor = [&](concurrency::Duration span) {
        for (concurrency::Duration gone{}; gone < span; gone += 100ms) {
            delegate.settings().refresh();
            run.time->settle();
            run.time->runFor(100ms);
        }
    };
    auto hasRow = [&](Section section, const char* id) {
        const auto rows = sections.rows(section);
        return std::any_of(rows.begin(), rows.end(), [&](const auto& row) { return row.id() == id; });
    };

    readingFor(1s);
    ASSERT_FALSE(sections.screens().empty()) << "with the screens known, off the bar can be told";
    ASSERT_FALSE(run.onBar(hiddenApp));
    ASSERT_TRUE(hasRow(Section::hidden, hiddenApp)) << "its items were read off the bar";
    EXPECT_EQ(said, std::set<std::string>{}) << "collapsed";

    run.coordinator().reveal(false);
    readingFor(6s);
    ASSERT_TRUE(run.onBar(hiddenApp));
    EXPECT_EQ(said, std::set<std::string>{}) << "while revealing and revealed";

    run.coordinator().collapse();
    readingFor(6s);
    ASSERT_FALSE(run.onBar(hiddenApp));
    EXPECT_EQ(said, std::set<std::string>{}) << "while collapsing and collapsed again";
}

// The page itself over the program's own models, shown as a window, with a
// drag of the row from the hidden band dropped on the shown band as the
// window delivers it.
TEST(SectionsDesktopTest, DraggingARowToTheShownBandPutsTheApplicationOnTheBarAndOnDisk) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario(), [&](app::AppDelegate::Environment& environment) {
        environment.layoutFolderPanel = [](const app::LayoutFolderPanel::Request&, QWidget*,
                                           const app::LayoutFolderPanel::Completion&) {
            return app::LayoutFolderPanel::Dismiss{};
        };
    });
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    delegate.settings().refresh();
    run.time->settle();
    ASSERT_FALSE(run.onBar(hiddenApp));
    const auto names = delegate.services().names;
    app::SectionsSettingsView page(*delegate.settings().sectionsModel(), *delegate.settings().profilesModel(),
                                   delegate.services().icons,
                                   [names](const std::string& id) { return names->name(id); });
    page.resize(640, 1600);
    page.show();
    QApplication::processEvents();
    app::SectionRowView* row = page.row(hiddenApp);
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->parentWidget(), &page.band(Section::hidden).box());

    pellacor::testing::dropRowOnBand(page, hiddenApp, Section::shown);
    QWidget& box = page.band(Section::shown).box();
    EXPECT_EQ(row->parentWidget(), &box) << "the row is now in the shown band";

    ASSERT_EQ(run.time->runUntil([&] { return run.onBar(hiddenApp); }, 10s), Outcome::done)
        << "the coordinator put its items on the bar";
    run.time->settle();
    std::ifstream file(computer.folder / "data/Trayvane/state.json");
    ASSERT_TRUE(file.good());
    const auto document = nlohmann::json::parse(file);
    bool savedShown = false;
    for (const auto& profile : document.at("profiles")) {
        if (profile.contains("sections") && profile["sections"].contains(hiddenApp)) {
            savedShown = profile["sections"][hiddenApp] == "shown";
        }
    }
    EXPECT_TRUE(savedShown) << document.dump(2);
}

// The same drag made by a real pointer: xdotool presses on the row, moves to
// the shown band and lets go, and Qt's own drag carries it across. Needs a
// real display, so it runs only from the Xvfb test
// (tests/Trayvane/sections-drag-under-xvfb.sh), which sets PELLACOR_REAL_DRAG.
TEST(SectionsDesktopTest, ARealPointerDragOfARowToTheShownBandPutsTheApplicationOnTheBar) {
    if (qEnvironmentVariableIsEmpty("PELLACOR_REAL_DRAG")) {
        GTEST_SKIP() << "only under the Xvfb test";
    }
    const Computer computer;
    ProgramRun run(computer, computer.scenario(), [&](app::AppDelegate::Environment& environment) {
        environment.layoutFolderPanel = [](const app::LayoutFolderPanel::Request&, QWidget*,
                                           const app::LayoutFolderPanel::Completion&) {
            return app::LayoutFolderPanel::Dismiss{};
        };
    });
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    delegate.settings().refresh();
    run.time->settle();
    ASSERT_FALSE(run.onBar(hiddenApp));
    const auto names = delegate.services().names;
    app::SectionsSettingsView page(*delegate.settings().sectionsModel(), *delegate.settings().profilesModel(),
                                   delegate.services().icons,
                                   [names](const std::string& id) { return names->name(id); });
    page.setGeometry(0, 0, 640, 1000);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    app::SectionRowView* row = page.row(hiddenApp);
    ASSERT_NE(row, nullptr);
    page.ensureWidgetVisible(row);
    QApplication::processEvents();
    QWidget& box = page.band(Section::shown).box();
    const QPoint from = row->mapToGlobal(QPoint(40, row->height() / 2));
    const QPoint to = box.mapToGlobal(QPoint(box.width() / 2, 3));
    const auto step = [](const QPoint& p) {
        return QStringList{"mousemove", QString::number(p.x()), QString::number(p.y())};
    };
    QStringList script = step(from);
    script << "sleep"
           << "0.2"
           << "mousedown"
           << "1"
           << "sleep"
           << "0.2";
    for (int i = 1; i <= 8; ++i) {
        script << step(from + (to - from) * i / 8) << "sleep"
               << "0.1";
    }
    script << "sleep"
           << "0.3"
           << "mouseup"
           << "1";
    QProcess pointer;
    pointer.start("xdotool", script);
    ASSERT_TRUE(pointer.waitForStarted(30000));
    QElapsedTimer waited;
    waited.start();
    while (delegate.settings().sectionsModel()->profile().section(AppKey(hiddenApp)) != Section::shown &&
           waited.elapsed() < 15000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    pointer.waitForFinished(30000);
    ASSERT_EQ(delegate.settings().sectionsModel()->profile().section(AppKey(hiddenApp)), Section::shown);
    EXPECT_EQ(row->parentWidget(), &box);
    ASSERT_EQ(run.time->runUntil([&] { return run.onBar(hiddenApp); }, 10s), Outcome::done);
    run.time->settle();
    EXPECT_EQ(delegate.settingsStore()->activeProfile().section(AppKey(hiddenApp)), Section::shown);
}

} // namespace PELLACOR_TEST_FILE
