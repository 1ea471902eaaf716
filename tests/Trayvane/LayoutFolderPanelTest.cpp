#include "Trayvane/App/LayoutFolderPanel.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "FileDialogWords.h"
#include "Support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::LayoutFolderPanel;

namespace {

// The file manager of a computer whose folders the test makes; it remembers
// what the user chose.
class ChoosingFileManager final : public platform::FileManager {
public:
    explicit ChoosingFileManager(std::filesystem::path home) : home_(std::move(home)) {}
    std::filesystem::path homeDirectory() const override { return home_; }
    std::optional<std::vector<std::string>> contentsOfDirectory(const std::filesystem::path&) const override {
        return std::nullopt;
    }
    std::string displayName(const std::string& path) const override { return path; }
    void userChoseFolder(const std::filesystem::path& folder) override { chosen.push_back(folder); }

    std::vector<std::filesystem::path> chosen;

private:
    std::filesystem::path home_;
};

// Runs the real panel, modal to the program; once it is up, `act` gets its folder chooser.
std::optional<std::optional<std::filesystem::path>> runPanel(const LayoutFolderPanel::Runner& runner,
                                                             const std::filesystem::path& home,
                                                             const std::filesystem::path& directory,
                                                             const std::function<void(QFileDialog&)>& act) {
    std::optional<std::optional<std::filesystem::path>> answer;
    QString message;
    QTimer::singleShot(0, qApp, [&] {
        auto* panel = QApplication::activeModalWidget();
        ASSERT_NE(panel, nullptr) << "the panel is modal";
        EXPECT_EQ(panel->objectName(), LayoutFolderPanel::identifier);
        message = panel->findChild<QLabel*>("layout-folder-message")->text();
        auto* chooser = panel->findChild<QFileDialog*>("layout-folder-chooser");
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->directory().absolutePath().toStdString(), directory.string())
            << "opened in the folder";
        EXPECT_EQ(chooser->labelText(QFileDialog::Accept), "開く");
        EXPECT_EQ(chooser->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(chooser->filter().testFlag(QDir::Hidden)) << "hidden folders shown";
        EXPECT_EQ(chooser->sidebarUrls(),
                  QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(home.string()))})
            << "the simulated home, not this machine's";
        act(*chooser);
    });
    const auto dismiss =
        runner({"この窓の文", "開く", directory}, nullptr,
               [&](std::optional<std::filesystem::path> folder) { answer = std::move(folder); });
    EXPECT_FALSE(answer) << "the panel answers on a later turn, never inside the call";
    EXPECT_TRUE(dismiss);
    QCoreApplication::processEvents();
    EXPECT_EQ(message, "この窓の文");
    return answer;
}

} // namespace

TEST(LayoutFolderPanelTest, TheRealPanelOpensInTheFolderAndGrantsWhatIsChosenWithItsButton) {
    pellacor::testing::offscreenApplication();
    const pellacor::testing::TempDir home;
    const std::filesystem::path folder = home / "Library/Group Containers/com.apple.MenuBar";
    std::filesystem::create_directories(folder);
    const auto files = std::make_shared<ChoosingFileManager>(home.path());
    const auto runner = LayoutFolderPanel::fileDialog(files);

    // "開く" in the folder it opened in: that folder is chosen, and granted.
    const auto opened = runPanel(runner, home.path(), folder, [](QFileDialog& chooser) {
        for (auto* button : chooser.findChildren<QPushButton*>()) {
            if (button->text() == "開く") {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button says 開く";
        chooser.reject();
    });
    ASSERT_TRUE(opened) << "the completion came when the panel ended";
    EXPECT_EQ(*opened, std::optional(folder));
    EXPECT_EQ(files->chosen, std::vector{folder});

    // Cancelled: nothing chosen, nothing granted.
    const auto cancelled =
        runPanel(runner, home.path(), folder, [](QFileDialog& chooser) { chooser.reject(); });
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(*cancelled, std::nullopt);
    EXPECT_EQ(files->chosen.size(), 1U);
}

TEST(LayoutFolderPanelTest, ItsWordsAreTheProgramsAndItsFoldersTheSystems) {
    pellacor::testing::offscreenApplication();
    const pellacor::testing::TempDir computer;
    const std::filesystem::path home = computer / "home";
    const std::filesystem::path folder = home / "Library/Group Containers/com.apple.MenuBar";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(computer / "disk/Applications");
    const auto files = std::make_shared<ChoosingFileManager>(home);
    const auto runner =
        LayoutFolderPanel::fileDialog(files, {.root = computer / "disk", .home = home, .homeName = "kaito"});
    for (const char* language : {"ja", "en"}) {
        const pellacor::testing::QtLanguage qt(language);
        runPanel(runner, home, folder, [&](QFileDialog& chooser) {
            pellacor::testing::expectWordsIn(language, chooser);
            EXPECT_EQ(pellacor::testing::lookingIn(chooser), "~/Library/Group Containers/com.apple.MenuBar");
            EXPECT_EQ(pellacor::testing::sidebarPlaces(chooser), std::vector<std::string>{"kaito"});
            chooser.reject();
        });
    }
}

TEST(LayoutFolderPanelTest, ThePanelTakenAwayAnswersNobodyAndGrantsNothing) {
    pellacor::testing::offscreenApplication();
    const pellacor::testing::TempDir home;
    const auto files = std::make_shared<ChoosingFileManager>(home.path());
    bool answered = false;
    const auto dismiss = LayoutFolderPanel::fileDialog(files)({"文", "開く", home.path()}, nullptr,
                                                              [&](auto) { answered = true; });
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    dismiss();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the panel is gone";
    EXPECT_FALSE(answered);
    EXPECT_TRUE(files->chosen.empty());
}

} // namespace PELLACOR_TEST_FILE
