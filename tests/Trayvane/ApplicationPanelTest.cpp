#include "Trayvane/App/ApplicationPanel.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "FileDialogWords.h"
#include "Support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ApplicationPanel;
using app::RuleApps;

namespace {

// Runs the real panel; once it is up, `act` gets it. The answer is the panel's completion.
std::optional<std::filesystem::path> runPanel(const std::filesystem::path& folder,
                                              const std::function<void(QFileDialog&)>& act,
                                              const app::FileDialogFolders& folders = {}) {
    QTimer::singleShot(0, qApp, [act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no panel is up";
        EXPECT_EQ(dialog->objectName(), ApplicationPanel::identifier);
        act(*dialog);
        // Whatever the step left up ends cancelled.
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    std::optional<std::optional<std::filesystem::path>> answer;
    ApplicationPanel::fileDialog(folders)(
        {.title = "アプリを選ぶ", .prompt = "選ぶ", .directory = folder},
        [&](std::optional<std::filesystem::path> chosen) { answer = std::move(chosen); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!answer && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(answer) << "the panel never answered";
    return answer.value_or(std::nullopt);
}

struct ApplicationPanelTest : ::testing::Test {
    pellacor::testing::TempDir disk;
    std::filesystem::path applications = disk / "Applications";

    ApplicationPanelTest() {
        pellacor::testing::offscreenApplication();
        std::filesystem::create_directories(applications / "Foo.app" / "Contents");
        std::filesystem::create_directories(applications / "Utilities" / "Bar.app" / "Contents");
    }
};

TEST_F(ApplicationPanelTest, OpensInTheFolderWithItsTitleAndChoosesABundle) {
    const auto chosen = runPanel(applications, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "アプリを選ぶ");
        EXPECT_EQ(dialog.labelText(QFileDialog::Accept).toStdString(), "選ぶ");
        EXPECT_EQ(std::filesystem::path(dialog.directory().absolutePath().toStdString()), applications);
        dialog.selectFile(QString::fromStdString((applications / "Foo.app").string()));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    EXPECT_EQ(chosen, applications / "Foo.app");
}

TEST_F(ApplicationPanelTest, AFolderThatIsNoBundleOpensInsteadOfBeingChosen) {
    const auto chosen = runPanel(applications, [&](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString((applications / "Utilities").string()));
        QMetaObject::invokeMethod(&dialog, "accept");
        EXPECT_TRUE(dialog.isVisible()) << "a plain folder is not an answer";
        EXPECT_EQ(std::filesystem::path(dialog.directory().absolutePath().toStdString()),
                  applications / "Utilities");
        dialog.selectFile(QString::fromStdString((applications / "Utilities" / "Bar.app").string()));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    EXPECT_EQ(chosen, applications / "Utilities" / "Bar.app");
}

TEST_F(ApplicationPanelTest, CancellingGivesNothing) {
    EXPECT_EQ(runPanel(applications, [](QFileDialog& dialog) { dialog.reject(); }), std::nullopt);
}

// The panel runs no event loop of its own: the call returns with the panel up,
// modal to the program, and the answer comes later; taken away, it answers nobody.
TEST_F(ApplicationPanelTest, ItReturnsAtOnceAndAnswersWhenItEnds) {
    const RuleApps::PanelRequest request{
        .title = "アプリを選ぶ", .prompt = "選ぶ", .directory = applications};
    std::vector<std::optional<std::filesystem::path>> answers;
    const auto record = [&](std::optional<std::filesystem::path> chosen) {
        answers.push_back(std::move(chosen));
    };
    const auto panel = ApplicationPanel::fileDialog();

    bool returned = false;
    QTimer::singleShot(0, qApp, [&] {
        EXPECT_TRUE(returned) << "the panel ran a loop of its own";
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialog->selectFile(QString::fromStdString((applications / "Foo.app").string()));
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    const auto dismiss = panel(request, record);
    returned = true;
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "modal to the program";
    EXPECT_EQ(dialog->objectName(), ApplicationPanel::identifier);
    const QPointer<QFileDialog> up(dialog);
    EXPECT_TRUE(answers.empty());
    for (int turn = 0; turn < 100 && answers.empty(); ++turn) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(answers, std::vector<std::optional<std::filesystem::path>>{applications / "Foo.app"});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(up) << "an ended panel is deleted";
    ASSERT_TRUE(dismiss);
    dismiss();

    const auto second = panel(request, record);
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    second();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the panel is gone";
    EXPECT_EQ(answers.size(), 1U) << "taken away, it answers nobody";
}

TEST_F(ApplicationPanelTest, ItsWordsAreTheProgramsAndItsFoldersTheSystems) {
    const std::filesystem::path home = disk / "Users" / "kaito";
    std::filesystem::create_directories(home / "Library");
    const app::FileDialogFolders folders{.root = disk.path(), .home = home, .homeName = "kaito"};
    for (const char* language : {"ja", "en"}) {
        const pellacor::testing::QtLanguage qt(language);
        runPanel(
            applications,
            [&](QFileDialog& dialog) {
                pellacor::testing::expectWordsIn(language, dialog);
                const QStringList listed = pellacor::testing::listedWords(dialog);
                ASSERT_EQ(listed.size(), 4) << "two folders, each with its type and date";
                if (std::string_view(language) == "ja") {
                    EXPECT_TRUE(pellacor::testing::latinWords(listed).isEmpty())
                        << "the folders' types and dates in Japanese: " << listed.join(" | ").toStdString();
                    EXPECT_EQ(listed[0].toStdString(), "フォルダ");
                } else {
                    EXPECT_EQ(listed[0].toStdString(), "Folder");
                }
                EXPECT_EQ(pellacor::testing::lookingIn(dialog), "/Applications");
                EXPECT_EQ(pellacor::testing::sidebarPlaces(dialog),
                          (std::vector<std::string>{"Applications", "kaito"}));

                // Up to "/", then no further: the dialog stays on the simulated disk.
                auto* up = dialog.findChild<QAbstractButton*>("toParentButton");
                ASSERT_NE(up, nullptr);
                up->click();
                QCoreApplication::processEvents();
                EXPECT_EQ(pellacor::testing::lookingIn(dialog), "/");
                up->click();
                QCoreApplication::processEvents();
                QCoreApplication::processEvents();
                EXPECT_EQ(std::filesystem::path(dialog.directory().absolutePath().toStdString()),
                          disk.path());
                EXPECT_EQ(pellacor::testing::lookingIn(dialog), "/");
                dialog.setDirectory(QString::fromStdString((home / "Library").string()));
                EXPECT_EQ(pellacor::testing::lookingIn(dialog), "~/Library");
                dialog.reject();
            },
            folders);
    }
}

} // namespace

} // namespace PELLACOR_TEST_FILE
