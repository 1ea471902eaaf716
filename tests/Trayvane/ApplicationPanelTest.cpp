#include "Trayvane/App/ApplicationPanel.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ApplicationPanel;
using app::RuleApps;

namespace {

// Runs the real panel; once it is up, `act` gets it.
std::optional<std::filesystem::path> runPanel(const std::filesystem::path& folder,
                                              const std::function<void(QFileDialog&)>& act) {
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
    return ApplicationPanel::fileDialog()({.title = "アプリを選ぶ", .prompt = "選ぶ", .directory = folder});
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

} // namespace

} // namespace PELLACOR_TEST_FILE
