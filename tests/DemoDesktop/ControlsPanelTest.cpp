#include "DemoDesktop/ControlsPanel.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;

namespace {

struct ControlsPanelTest : ::testing::Test {
    std::shared_ptr<SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<SimulatedPlatform>();
    }();
    demo::ControlsPanel panel{platform};

    template <typename Widget> Widget& find(const char* name) {
        auto* widget = panel.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
};

} // namespace

TEST_F(ControlsPanelTest, TheSwitchesChangeTheOutsideWorldOfTheDesktop) {
    auto& notch = find<QCheckBox>("controls-notch");
    EXPECT_TRUE(notch.isChecked()) << "the default laptop screen has a housing";
    notch.setChecked(false);
    EXPECT_FALSE(platform->desktop()->mainScreen().cameraHousingWidth);
    notch.setChecked(true);
    EXPECT_EQ(platform->desktop()->mainScreen().cameraHousingWidth, std::optional<double>(180));

    find<QCheckBox>("controls-accessibility").setChecked(false);
    EXPECT_FALSE(platform->accessibility()->isProcessTrusted());
    find<QCheckBox>("controls-layout-folder").setChecked(true);
    EXPECT_TRUE(platform->desktop()->isMenuBarContainerGranted());
    find<QCheckBox>("controls-camera").setChecked(true);
    find<QCheckBox>("controls-microphone").setChecked(true);
    int running = 0;
    for (const auto& device : platform->captureDevices()->devices()) {
        running += device.runningSomewhere ? 1 : 0;
    }
    EXPECT_EQ(running, 2) << "the camera and the microphone, not the speakers";
}

TEST_F(ControlsPanelTest, LaunchesAndQuitsTheChosenApplication) {
    auto& list = find<QComboBox>("controls-applications");
    const auto apps = platform->desktop()->applications();
    const auto mail = std::find_if(apps.begin(), apps.end(), [](const auto& app) { return !app.isRunning; });
    ASSERT_NE(mail, apps.end());
    list.setCurrentIndex(static_cast<int>(mail - apps.begin()));
    EXPECT_FALSE(find<QPushButton>("controls-quit").isEnabled());
    find<QPushButton>("controls-launch").click();
    EXPECT_TRUE(platform->desktop()->runningApplication(*mail->bundleIdentifier));
    EXPECT_TRUE(find<QPushButton>("controls-quit").isEnabled());
    find<QPushButton>("controls-quit").click();
    EXPECT_FALSE(platform->desktop()->runningApplication(*mail->bundleIdentifier))
        << "its fresh process quit";
}

TEST_F(ControlsPanelTest, BringsTheChosenRunningApplicationToTheFront) {
    auto& list = find<QComboBox>("controls-applications");
    auto& front = find<QPushButton>("controls-front");
    const auto apps = platform->desktop()->applications();
    const auto index = [&](const std::string& id) {
        const auto found = std::find_if(apps.begin(), apps.end(),
                                        [&](const auto& app) { return app.bundleIdentifier == id; });
        return static_cast<int>(found - apps.begin());
    };
    list.setCurrentIndex(index("com.example.quartzpen"));
    EXPECT_FALSE(front.isEnabled()) << "already in front";
    list.setCurrentIndex(index("com.example.pebblemail"));
    EXPECT_FALSE(front.isEnabled()) << "not running";
    list.setCurrentIndex(index("com.example.murmurtask"));
    ASSERT_TRUE(front.isEnabled());
    front.click();
    EXPECT_TRUE(platform->desktop()->runningApplication("com.example.murmurtask")->isActive);
    EXPECT_FALSE(platform->desktop()->runningApplication("com.example.quartzpen")->isActive);
    EXPECT_FALSE(front.isEnabled());
}

TEST_F(ControlsPanelTest, StandsForSystemSettingsWhenADeepLinkOpensThem) {
    auto& page = find<QLabel>("controls-settings-page");
    EXPECT_TRUE(page.isHidden()) << "the settings are closed";
    platform->workspaceOpener()->openURL(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
    EXPECT_TRUE(page.isHidden()) << "the change is shown on the panel's own turn";
    QCoreApplication::processEvents();
    EXPECT_FALSE(page.isHidden());
    EXPECT_NE(page.text().indexOf("Accessibility"), -1) << page.text().toStdString();

    platform->workspaceOpener()->openURL("x-apple.systempreferences:com.apple.LoginItems-Settings.extension");
    QCoreApplication::processEvents();
    EXPECT_NE(page.text().indexOf("com.apple.LoginItems-Settings.extension"), -1)
        << page.text().toStdString();
}

TEST(ControlsPanelLifetimeTest, ASettingsPageOpenedAfterThePanelWentReachesNothing) {
    pellacor::testing::offscreenApplication();
    auto platform = std::make_shared<SimulatedPlatform>();
    {
        demo::ControlsPanel panel(platform);
        platform->workspaceOpener()->openURL("x-apple.systempreferences:com.apple.preference.security");
    }
    platform->workspaceOpener()->openURL("x-apple.systempreferences:com.apple.preference.security");
    QCoreApplication::processEvents();
    SUCCEED() << "a queued notice for a panel that is gone is dropped";
}

TEST_F(ControlsPanelTest, ShiftAtTheNextLaunchIsAWishForWhoeverKeepsTheDesktop) {
    std::vector<bool> wishes;
    QObject::connect(&panel, &demo::ControlsPanel::shiftAtNextLaunchChanged,
                     [&wishes](bool held) { wishes.push_back(held); });
    auto& box = find<QCheckBox>("controls-shift-at-next-launch");
    EXPECT_FALSE(box.isChecked());
    box.setChecked(true);
    box.setChecked(false);
    EXPECT_EQ(wishes, (std::vector<bool>{true, false}));
    EXPECT_EQ(platform->input()->modifierFlags(), 0U) << "nothing is held on the running desktop";
}

} // namespace PELLACOR_TEST_FILE
