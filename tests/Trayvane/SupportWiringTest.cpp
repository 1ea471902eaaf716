// The support entries of the running program: the main menu's and the
// control item's "send feedback" and "check for updates", over the
// program's own clipboard and a URL handler and update fetch of the test's.
#include "Concurrency/Promise.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/FeedbackReport.h"
#include "ProgramRun.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/Support/NoticeModel.h"
#include "Trayvane/Support/SupportMenuTitle.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <set>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using core::MenuBarState;
using core::UpdateCheck;
using pellacor::testing::Computer;
using pellacor::testing::ProgramRun;

namespace {

concurrency::Task<UpdateCheck::FetchOutcome>
awaitOutcome(concurrency::Future<UpdateCheck::FetchOutcome> future) {
    auto result = co_await std::move(future);
    co_return result ? *result : UpdateCheck::FetchOutcome::noAnswer();
}

struct Support {
    std::vector<std::string> opened;
    std::vector<concurrency::Promise<UpdateCheck::FetchOutcome>> fetches;
    Computer computer;
    ProgramRun run{computer, computer.scenario(), [this](app::AppDelegate::Environment& environment) {
                       environment.openURL = [this](const std::string& url) {
                           opened.push_back(url);
                           return true;
                       };
                       environment.updateFetch = [this] {
                           fetches.emplace_back();
                           return awaitOutcome(fetches.back().future());
                       };
                   }};

    std::optional<app::ControlMenuEntry> controlEntry(const std::string& title) const {
        for (const auto& entry : run.delegate->statusItems().controlItem()->menuModel()) {
            if (entry.title == title) {
                return entry;
            }
        }
        return std::nullopt;
    }
};

// The applications on the bar other than Apple's and the program itself.
int otherApplications(const ProgramRun& run) {
    std::set<std::string> others;
    for (const auto& item : run.coordinator().currentItems()) {
        if (!item.isApple() && item.ownerBundleID() != core::bundleIdentifier) {
            others.insert(item.ownerBundleID());
        }
    }
    return static_cast<int>(others.size());
}

void click(QWidget* window, const char* name) {
    auto* button = window->findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

} // namespace

TEST(SupportWiringTest, SendFeedbackShowsTheReportCopiesAndHandsTheDraftOn) {
    Support support;
    auto& delegate = support.run.launch();
    ASSERT_TRUE(support.run.reaches(MenuBarState::collapsed));
    ASSERT_TRUE(delegate.mainMenu()->action("sendFeedback:")->isEnabled()) << "no longer greyed";
    const auto entry = support.controlEntry(app::SupportMenuTitle::feedback());
    ASSERT_TRUE(entry && entry->isEnabled());

    const auto facts = delegate.feedbackEnvironment();
    EXPECT_EQ(facts.appVersion, app::AppInfo::version());
    EXPECT_EQ(facts.osVersion, app::AppInfo::osVersion(*support.run.environment.platform.hostInfo));
    EXPECT_EQ(facts.accessibilityGranted, true);
    EXPECT_EQ(facts.stateText, app::ControlItem::stateText(MenuBarState::collapsed, std::nullopt));
    EXPECT_EQ(facts.profileCount, 1);
    EXPECT_EQ(facts.ruleCount, 0);
    EXPECT_EQ(facts.screenCount, static_cast<int>(support.run.simulated->screens()->screens().size()));
    const int others = otherApplications(support.run);
    ASSERT_GT(others, 0);
    const auto& counts = facts.sectionCounts;
    EXPECT_EQ(counts.shown + counts.hidden + counts.alwaysHidden, others)
        << "every other application once, the program itself left out";
    EXPECT_GT(counts.hidden, 0) << "the scenario's hidden applications";

    delegate.statusItems().controlItem()->onSendFeedback();
    QWidget* window = delegate.support().feedback().window().window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), "feedback");
    EXPECT_EQ(window->findChild<QLabel*>("notice:title")->text(), "ご意見・不具合を送る");

    QGuiApplication::clipboard()->setText("earlier");
    click(window, "feedback:copy");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), core::FeedbackReport::clipboardText(facts));
    click(window, "feedback:mail");
    ASSERT_EQ(support.opened.size(), 1U);
    EXPECT_EQ(support.opened[0], core::FeedbackReport::mailtoURL(facts));
    EXPECT_TRUE(window->isVisible());

    click(window, "feedback:close");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(delegate.mainMenu()->perform("sendFeedback:"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(delegate.support().feedback().window().model().note(), std::nullopt)
        << "shown anew without the old note";
    delegate.applicationWillTerminate();
    EXPECT_FALSE(window->isVisible()) << "termination takes the notice down";
}

// A main bundle that reports no identifier leaves the built-in one standing
// for the program, in the report's counts too.
TEST(SupportWiringTest, TheReportLeavesTheProgramOutWhenTheMainBundleReportsNoIdentifier) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario(), [](app::AppDelegate::Environment& environment) {
        environment.bundleIdentifier = std::nullopt;
    });
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    const auto& counts = delegate.feedbackEnvironment().sectionCounts;
    EXPECT_EQ(counts.shown + counts.hidden + counts.alwaysHidden, otherApplications(run));
}

TEST(SupportWiringTest, ACheckInProgressGreysItsEntryUntilTheVerdictShows) {
    Support support;
    auto& delegate = support.run.launch();
    ASSERT_TRUE(support.run.reaches(MenuBarState::collapsed));
    ASSERT_TRUE(delegate.mainMenu()->action("checkForUpdate:")->isEnabled());
    const auto idle = support.controlEntry(app::SupportMenuTitle::update());
    ASSERT_TRUE(idle && idle->isEnabled());

    delegate.statusItems().controlItem()->onCheckForUpdate();
    EXPECT_TRUE(delegate.mainMenu()->perform("checkForUpdate:")) << "taken, and ignored while one runs";
    support.run.time->settle();
    EXPECT_EQ(support.fetches.size(), 1U);
    const auto checking = support.controlEntry(app::SupportMenuTitle::updateChecking());
    ASSERT_TRUE(checking);
    EXPECT_FALSE(checking->isEnabled());
    EXPECT_FALSE(support.controlEntry(app::SupportMenuTitle::update()));

    support.fetches.back().setValue(UpdateCheck::FetchOutcome::unreachable());
    support.run.time->settle();
    QWidget* window = delegate.support().updateCheck().window().window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), "updateCheck");
    EXPECT_EQ(window->findChild<QLabel*>("notice:message")->text().toStdString(),
              UpdateCheck::message(UpdateCheck::Status::unknown(false)));
    EXPECT_TRUE(support.controlEntry(app::SupportMenuTitle::update()));
    click(window, "update:ok");
    EXPECT_FALSE(window->isVisible());
}

} // namespace PELLACOR_TEST_FILE
