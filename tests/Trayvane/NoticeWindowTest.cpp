#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/Support/NoticeModel.h"
#include "Trayvane/Support/NoticeView.h"
#include "Trayvane/Support/NoticeWindowController.h"
#include "Trayvane/Theme/AppButton.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::NoticeButton;
using app::NoticeModel;
using app::NoticeView;
using app::NoticeWindowController;
using Property = NoticeModel::Property;

namespace {

void key(QWidget* to, int code) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &press);
}

std::vector<QString> buttonNames(const QWidget* window) {
    std::vector<QString> names;
    for (const auto* button : window->findChildren<app::AppButton*>()) {
        if (button->isVisible()) {
            names.push_back(button->objectName());
        }
    }
    return names;
}

} // namespace

TEST(NoticeModelTest, TextsNotifyOnChangeListsOnEveryAssignment) {
    NoticeModel model;
    std::vector<Property> told;
    const auto subscription = model.observe([&](const Property& property) { told.push_back(property); });
    model.setTitle("");
    model.setMessage("");
    model.setNote(std::nullopt);
    EXPECT_TRUE(told.empty()) << "equal texts are stored silently";
    model.setDetails({});
    model.setButtons({});
    model.setTitle("a");
    model.setTitle("a");
    model.setNote("n");
    model.setNote("n");
    model.setNote(std::nullopt);
    model.setMessage("m");
    EXPECT_EQ(told, (std::vector<Property>{Property::details, Property::buttons, Property::title,
                                           Property::note, Property::note, Property::message}));
    const NoticeButton first{.title = "x"};
    const NoticeButton second{.title = "x"};
    EXPECT_NE(first.id, second.id) << "every button has an identity of its own";
}

TEST(NoticeWindowTest, ShowsTheModelAndFollowsItsChanges) {
    pellacor::testing::offscreenApplication();
    NoticeWindowController controller("feedback", {});
    EXPECT_EQ(controller.window(), nullptr) << "made on the first show";
    auto& model = controller.model();
    model.setTitle("題");
    std::string longMessage;
    for (int word = 0; word < 60; ++word) {
        longMessage += "wrapped ";
    }
    model.setMessage(longMessage + "never cut");
    model.setDetails({{"宛先", "feedback@pellacor.app"}, {"入れないもの", "名前"}});
    model.setButtons({NoticeButton{.title = "閉じる", .isCancel = true, .identifier = "x:close"},
                      NoticeButton{.title = "開く", .prominent = true, .identifier = "x:open"}});
    controller.show();
    QWidget* window = controller.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "feedback");
    EXPECT_EQ(window->windowTitle(), "Pellacor");
    EXPECT_EQ(window->width(), NoticeView::width);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

    const auto* title = window->findChild<QLabel*>("notice:title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "題");
    EXPECT_EQ(title->font().pointSizeF(), 17);
    const auto* message = window->findChild<QLabel*>("notice:message");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->wordWrap());
    EXPECT_GT(message->height(), message->fontMetrics().height() * 2)
        << "the long message takes several lines";
    const auto texts = window->findChildren<QLabel*>("notice:detailText");
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0]->text(), "feedback@pellacor.app");
    EXPECT_TRUE(texts[0]->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(window->findChild<QLabel*>("notice:note"), nullptr);
    EXPECT_EQ(buttonNames(window), (std::vector<QString>{"x:close", "x:open"}));
    const auto* close = window->findChild<app::AppButton*>("x:close");
    const auto* open = window->findChild<app::AppButton*>("x:open");
    EXPECT_LT(close->geometry().right(), open->geometry().left()) << "in list order";
    EXPECT_GE(open->mapTo(window, QPoint(open->width(), 0)).x(), NoticeView::width - NoticeView::inset - 1)
        << "at the right end of the row";

    const int before = window->height();
    model.setNote("コピーしました");
    const auto* note = window->findChild<QLabel*>("notice:note");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "コピーしました");
    EXPECT_GT(window->height(), before) << "the window grows with its content";
    model.setButtons({NoticeButton{.title = "OK", .prominent = true, .identifier = "update:ok"}});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(buttonNames(window), (std::vector<QString>{"update:ok"}));
    controller.close();
    EXPECT_FALSE(window->isVisible());
}

TEST(NoticeWindowTest, ReturnPressesTheProminentButtonEscapeTheCancelOne) {
    pellacor::testing::offscreenApplication();
    struct Case {
        const char* what;
        bool cancelButton;
        bool prominentButton;
        int key;
        std::vector<std::string> pressed;
        bool staysOpen;
    };
    const std::vector<Case> cases{
        {"Return with a prominent button", true, true, Qt::Key_Return, {"prominent"}, true},
        {"Enter alike", true, true, Qt::Key_Enter, {"prominent"}, true},
        {"Escape with a cancel button", true, true, Qt::Key_Escape, {"cancel"}, true},
        {"Escape without one closes", false, true, Qt::Key_Escape, {}, false},
        {"Return without a prominent button", true, false, Qt::Key_Return, {}, true},
    };
    for (const auto& c : cases) {
        NoticeWindowController controller("n", {});
        std::vector<std::string> pressed;
        std::vector<NoticeButton> buttons;
        if (c.cancelButton) {
            buttons.push_back({.title = "c", .isCancel = true, .identifier = "c", .action = [&] {
                                   pressed.emplace_back("cancel");
                               }});
        }
        if (c.prominentButton) {
            // A prominent button marked cancel too still answers Return only.
            buttons.push_back(
                {.title = "p", .prominent = true, .isCancel = true, .identifier = "p", .action = [&] {
                     pressed.emplace_back("prominent");
                 }});
        }
        controller.model().setButtons(std::move(buttons));
        controller.show();
        key(controller.view(), c.key);
        EXPECT_EQ(pressed, c.pressed) << c.what;
        EXPECT_EQ(controller.isVisible(), c.staysOpen) << c.what;
    }
}

TEST(NoticeWindowTest, CentredOnThePointersScreen60PointsBelowTheTop) {
    pellacor::testing::offscreenApplication();
    const auto platform = std::make_shared<platform::SimulatedPlatform>();
    platform->desktop()->setScreens(
        {platform::SimulatedScreen{}, platform::SimulatedScreen{core::Rect(1512, 0, 1000, 800)}});
    platform->input()->moveMouse({2000, 400});
    NoticeWindowController controller(
        "n", {platform->screens(), platform->input(), {}, platform->programWindows()});
    controller.model().setTitle("t");
    controller.show();
    QWidget* window = controller.window();
    const QSize size = window->size();
    // The second screen's top lies 182 points below the first one's; its bar is 24 high.
    EXPECT_EQ(window->pos(), QPoint(1512 + 500 - size.width() / 2, 182 + 24 + 60));

    platform->input()->moveMouse({700, 400});
    controller.show();
    EXPECT_EQ(window->pos().x(), 1512 + 500 - size.width() / 2) << "a notice on screen is not moved";
    controller.close();
    controller.show();
    EXPECT_EQ(window->pos(), QPoint(756 - size.width() / 2, 24 + 60)) << "placed anew under the pointer";
    controller.close();
}

} // namespace PELLACOR_TEST_FILE
