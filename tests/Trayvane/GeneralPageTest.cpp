#include "DemoDesktop/OffscreenApplication.h"
#include "DemoDesktop/SyntheticClick.h"
#include "Trayvane/Settings/GeneralPageLook.h"
#include "Trayvane/Settings/GeneralSettingsView.h"
#include "Trayvane/Settings/SettingsCheckBox.h"
#include "Trayvane/Theme/AppButton.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::GeneralModel;
using app::GeneralPageLook;
using app::SettingsCheckBox;
using coordinator::PauseReason;
using core::MenuBarState;
using Status = system::LoginItemStatus;

TEST(GeneralPageLookTest, TheLoginBoxIsOnWhileRegisteredAndTheSettingsButtonOnlyWhileWaiting) {
    const struct {
        Status status;
        bool inApplications;
        bool on;
        bool note;
        bool settings;
    } cases[] = {
        {Status::enabled, true, true, false, false},
        {Status::requiresApproval, true, true, true, true},
        {Status::notRegistered, true, false, false, false},
        {Status::notRegistered, false, false, true, false},
        {Status::notFound, true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(system::toString(c.status)) + (c.inApplications ? " inside" : " outside"));
        GeneralModel model;
        model.setLoginStatus(c.status);
        model.setInApplicationsFolder(c.inApplications);
        const auto look = GeneralPageLook::of(model);
        EXPECT_EQ(look.loginBoxOn, c.on);
        EXPECT_EQ(look.loginNote.has_value(), c.note);
        EXPECT_EQ(look.loginNote, model.loginNote());
        EXPECT_EQ(look.showsLoginSettings, c.settings);
    }
}

TEST(GeneralPageLookTest, TheGuideIsOfferedWhileRefusedOrWhileTheStateWaitsForThePermission) {
    const struct {
        std::optional<bool> trusted;
        MenuBarState state;
        bool granted;
        bool guide;
    } cases[] = {
        {std::nullopt, MenuBarState::starting, false, false},
        {std::nullopt, MenuBarState::needsPermission, false, true},
        {false, MenuBarState::collapsed, false, true},
        {false, MenuBarState::paused, false, true},
        {true, MenuBarState::needsPermission, false, true},
        {true, MenuBarState::collapsed, true, false},
        {true, MenuBarState::paused, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.trusted ? (*c.trusted ? "trusted " : "refused ") : "unknown ") +
                     core::toString(c.state));
        GeneralModel model;
        model.setTrusted(c.trusted);
        model.setState(c.state);
        const auto look = GeneralPageLook::of(model);
        EXPECT_EQ(look.permissionGranted, c.granted);
        EXPECT_EQ(look.permissionSymbol, c.granted ? "checkmark.circle.fill" : "exclamationmark.triangle");
        EXPECT_EQ(look.showsPermissionGuide, c.guide);
        EXPECT_EQ(look.permissionText, model.permissionText());
    }
}

TEST(GeneralPageLookTest, OnlyAPauseOffersResumeAndTheStateLineIsTheControlItems) {
    const struct {
        MenuBarState state;
        std::optional<PauseReason> reason;
        bool resume;
        const char* line;
    } cases[] = {
        {MenuBarState::paused, std::nullopt, true, "一時停止中（全部見せています）"},
        {MenuBarState::paused, PauseReason::optionKeyAtLaunch(), true,
         "⇧ か ⌥ を押して起動したので、一時停止中です"},
        {MenuBarState::starting, std::nullopt, false, "起動しています"},
        {MenuBarState::needsPermission, std::nullopt, false,
         "アクセシビリティの許可を待っているので、何も隠していません"},
        {MenuBarState::collapsed, std::nullopt, false, "アイコンをしまっています"},
        {MenuBarState::privacyOverride, std::nullopt, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::toString(c.state));
        GeneralModel model;
        model.setState(c.state);
        model.setPauseReason(c.reason);
        const auto look = GeneralPageLook::of(model);
        EXPECT_EQ(look.offersResume, c.resume);
        if (c.line) {
            EXPECT_EQ(look.stateText, c.line);
        }
        EXPECT_FALSE(look.stateText.empty());
    }
}

namespace {

// The page shown on its own, over a model whose callbacks record what they were asked.
struct GeneralPage : ::testing::Test {
    GeneralModel model;
    std::unique_ptr<app::GeneralSettingsView> page = [this] {
        pellacor::testing::offscreenApplication();
        return std::make_unique<app::GeneralSettingsView>(model);
    }();
    std::vector<std::pair<std::string, bool>> asked;
    std::vector<std::string> pressed;

    GeneralPage() {
        const auto record = [this](std::string name) {
            return [this, name](bool wanted) { asked.emplace_back(name, wanted); };
        };
        model.onSetLoginItem = record("login");
        model.onSetHoverReveal = record("hover");
        model.onSetBelowBar = record("belowBar");
        model.onSetUserSwitcherStandIn = record("standIn");
        model.onSetDragSort = record("dragSort");
        model.onSetNotchOverflow = record("notch");
        const auto press = [this](std::string name) { return [this, name] { pressed.push_back(name); }; };
        model.onOpenLoginSettings = press("loginSettings");
        model.onOpenPermissionGuide = press("guide");
        model.onPause = press("pause");
        model.onResume = press("resume");
        page->resize(560, 900);
        page->show();
        QCoreApplication::processEvents();
    }

    template <typename T = QWidget> T* find(const char* name) const {
        auto* found = page->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    SettingsCheckBox* box(const char* name) const { return find<SettingsCheckBox>(name); }
    bool shows(const QWidget* widget) const { return widget != nullptr && widget->isVisibleTo(page.get()); }
    // The page's button with this text, shown or not.
    app::AppButton* button(const char* text) const {
        for (auto* candidate : page->findChildren<app::AppButton*>()) {
            if (candidate->text() == QString::fromUtf8(text)) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no button " << text;
        return nullptr;
    }
    static void click(QWidget* widget) {
        ASSERT_NE(widget, nullptr);
        demo::sendClick(*widget, QRectF(widget->rect()).center());
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(GeneralPage, AClickAsksForTheOppositeAndTheBoxWaitsForTheModel) {
    const struct {
        const char* identifier;
        const char* callback;
        void (GeneralModel::*write)(bool);
        bool stored;
    } boxes[] = {
        {"general:hoverReveal", "hover", &GeneralModel::setHoverReveal, false},
        {"general:belowBar", "belowBar", &GeneralModel::setBelowBar, false},
        {"general:userSwitcherStandIn", "standIn", &GeneralModel::setUserSwitcherStandIn, true},
        {"general:dragSort", "dragSort", &GeneralModel::setDragSort, true},
        {"general:notchOverflow", "notch", &GeneralModel::setNotchOverflow, true},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.identifier);
        asked.clear();
        auto* shown = box(b.identifier);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->isOn(), b.stored);
        click(shown);
        ASSERT_EQ(asked, (std::vector<std::pair<std::string, bool>>{{b.callback, !b.stored}}));
        EXPECT_EQ(shown->isOn(), b.stored) << "the click alone flips nothing";
        (model.*b.write)(!b.stored);
        EXPECT_EQ(shown->isOn(), !b.stored);
        EXPECT_EQ(shown->symbol(), !b.stored ? "checkmark.square.fill" : "square");
    }
}

TEST_F(GeneralPage, TheWholeRowOfABoxTakesTheClick) {
    auto* hover = box("general:hoverReveal");
    ASSERT_NE(hover, nullptr);
    // The mark, the gap after it and the label are all the box.
    for (const int x : {2, 19, hover->width() - 3}) {
        const QPoint at = hover->mapTo(page->viewport(), QPoint(x, hover->height() / 2));
        EXPECT_EQ(page->viewport()->childAt(at), hover) << x;
    }
}

TEST_F(GeneralPage, WithoutACallbackABoxDoesNothingAndKeepsItsLook) {
    model.onSetDragSort = nullptr;
    auto* drag = box("general:dragSort");
    click(drag);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(drag->isOn());
}

TEST_F(GeneralPage, TheNotchBoxStaysClickableWhileTheBelowBarSwitchIsOff) {
    model.setBelowBar(false);
    model.setNotchOverflow(true);
    auto* notch = box("general:notchOverflow");
    EXPECT_TRUE(notch->isEnabled());
    EXPECT_TRUE(shows(notch));
    EXPECT_TRUE(notch->isOn());
    EXPECT_FALSE(box("general:belowBar")->isOn());
    click(notch);
    EXPECT_EQ(asked, (std::vector<std::pair<std::string, bool>>{{"notch", false}}));
}

TEST_F(GeneralPage, WaitingForApprovalShowsTheBoxOnTheNoteAndTheSettingsButton) {
    model.setLoginStatus(Status::requiresApproval);
    auto* login = box("general:loginItem");
    EXPECT_TRUE(login->isOn());
    auto* note = find<QLabel>("general:loginNote");
    EXPECT_TRUE(shows(note));
    EXPECT_EQ(note->text().toStdString(), "システム設定の「ログイン項目」で、オンにするのを待っています。");
    auto* settings = button("ログイン項目の設定を開く");
    ASSERT_TRUE(shows(settings));
    EXPECT_FALSE(settings->style().prominent);
    click(settings);
    click(login);
    EXPECT_EQ(pressed, std::vector<std::string>{"loginSettings"});
    EXPECT_EQ(asked, (std::vector<std::pair<std::string, bool>>{{"login", false}}));

    // Not found, even inside the Applications folder: off, the folder note, no button.
    model.setLoginStatus(Status::notFound);
    EXPECT_FALSE(login->isOn());
    EXPECT_EQ(note->text().toStdString(), "アプリケーションフォルダに入れると、入れられます。");
    EXPECT_FALSE(shows(settings));
    model.setLoginStatus(Status::enabled);
    EXPECT_FALSE(shows(note));
}

TEST_F(GeneralPage, ThePermissionLineAndItsGuideButtonFollowTheTrustAndTheState) {
    auto* line = find<QWidget>("general:permission");
    auto* guide = button("許可の案内を開く");
    ASSERT_NE(guide, nullptr);
    EXPECT_EQ(line->accessibleName().toStdString(), "確かめています…");
    EXPECT_FALSE(shows(guide));
    model.setState(MenuBarState::needsPermission);
    EXPECT_TRUE(shows(guide)) << "the state already asks for it";
    EXPECT_TRUE(guide->style().prominent);
    click(guide);
    EXPECT_EQ(pressed, std::vector<std::string>{"guide"});
    model.setTrusted(true);
    model.setState(MenuBarState::collapsed);
    EXPECT_EQ(line->accessibleName().toStdString(), "許可されています。");
    EXPECT_FALSE(shows(guide));
}

TEST_F(GeneralPage, ResumeIsTheProminentButtonOnlyWhilePaused) {
    auto* resume = find<app::AppButton>("general:resume");
    auto* pause = find<app::AppButton>("general:pause");
    auto* state = find<QLabel>("general:state");
    ASSERT_TRUE(resume && pause && state);
    const struct {
        MenuBarState state;
        bool paused;
    } cases[] = {
        {MenuBarState::starting, false},        {MenuBarState::paused, true},
        {MenuBarState::needsPermission, false}, {MenuBarState::privacyOverride, false},
        {MenuBarState::collapsed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::toString(c.state));
        model.setState(c.state);
        EXPECT_EQ(shows(resume), c.paused);
        EXPECT_EQ(shows(pause), !c.paused);
        EXPECT_TRUE(resume->style().prominent);
        EXPECT_FALSE(pause->style().prominent);
        EXPECT_TRUE(resume->isEnabled() && pause->isEnabled());
        EXPECT_EQ(state->text().toStdString(), app::GeneralPageLook::of(model).stateText);
    }
    model.setState(MenuBarState::paused);
    EXPECT_EQ(state->text().toStdString(), "一時停止中（全部見せています）");
    click(resume);
    model.setState(MenuBarState::collapsed);
    click(pause);
    EXPECT_EQ(pressed, (std::vector<std::string>{"resume", "pause"}));
}

} // namespace PELLACOR_TEST_FILE
