#include "Trayvane/Help/AboutWindow.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/LogCapture.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Help/AboutView.h"
#include "Trayvane/Theme/AppFont.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::AboutWindow;

TEST(AboutWindowTest, NamesTheProgramAndTheBuildsVersion) {
    pellacor::testing::offscreenApplication();
    pellacor::testing::LogCapture log;
    AboutWindow about({});
    EXPECT_EQ(about.window(), nullptr) << "made on the first show";
    about.show();
    QWidget* window = about.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), "about");
    EXPECT_EQ(window->windowTitle(), "Pellacor について");
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "a fixed size";
    EXPECT_GE(window->width(), 340) << "short content is still 340 points wide";

    const auto* version = window->findChild<QLabel*>("about:version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text().toStdString(),
              app::AppInfo::versionLine(app::AppInfo::version(), app::AppInfo::build(), true));
    EXPECT_EQ(version->text().toStdString().rfind("バージョン " + app::AppInfo::version(), 0), 0U);
    EXPECT_TRUE(version->textInteractionFlags().testFlag(Qt::TextSelectableByMouse)) << "can be copied";
    const auto* name = window->findChild<QLabel*>("about:name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Pellacor");
    EXPECT_EQ(name->font().pixelSize(), app::AppFont::aboutName().pixelSize());
    const auto* icon = window->findChild<QLabel*>("about:icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), QSize(112, 112));
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_NE(window->findChild<QLabel*>("about:maker"), nullptr);

    about.show();
    EXPECT_EQ(about.window(), window) << "kept, not made again";
    window->close();
    EXPECT_FALSE(window->isVisible());
    about.show();
    EXPECT_EQ(about.window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(log.matching("「Pellacor について」の窓を開きました").size(), 3U);
    about.close();
}

TEST(AboutWindowTest, CentredOnThePointersScreen120PointsBelowTheTop) {
    pellacor::testing::offscreenApplication();
    const auto platform = std::make_shared<platform::SimulatedPlatform>();
    // A second screen to the right of the default 1512 × 982 one.
    platform->desktop()->setScreens(
        {platform::SimulatedScreen{}, platform::SimulatedScreen{core::Rect(1512, 0, 1000, 800)}});
    platform->input()->moveMouse({2000, 400});
    AboutWindow about({platform->screens(), platform->input(), {}, platform->programWindows()});
    about.show();
    QWidget* window = about.window();
    const QSize size = window->size();
    // The second screen's top lies 182 points below the first one's.
    EXPECT_EQ(window->pos(), QPoint(1512 + 500 - size.width() / 2, 182 + 24 + 120));

    platform->input()->moveMouse({700, 400});
    about.show();
    EXPECT_EQ(window->pos().x(), 1512 + 500 - size.width() / 2) << "an open window is only brought forward";
    window->close();
    about.show();
    EXPECT_EQ(window->pos(), QPoint(756 - size.width() / 2, 24 + 120)) << "placed anew under the pointer";
    EXPECT_EQ(window->size(), size) << "never resized";
    about.close();
}

} // namespace PELLACOR_TEST_FILE
