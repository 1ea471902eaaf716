// Renders the named states of the demo desktop to PNG files, one per state,
// for a person to look at: pellacor-screenshots OUTPUT-FOLDER.
#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Qt/QtExecutor.h"
#include "DemoDesktop/DesktopAppearance.h"
#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/SyntheticClick.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/App/ApplicationPanel.h"
#include "Trayvane/App/EngineComponent.h"
#include "Trayvane/App/LayoutFolderPanel.h"
#include "Trayvane/App/PanelsComponent.h"
#include "Trayvane/App/QtTranslations.h"
#include "Trayvane/App/SettingsComponent.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Help/AboutWindow.h"
#include "Trayvane/Help/HelpWindow.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Panels/BelowBarCell.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Panels/SearchPanel.h"
#include "Trayvane/Panels/SearchWindow.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/GeneralSettingsView.h"
#include "Trayvane/Settings/ProfileBar.h"
#include "Trayvane/Settings/ProfileDeleteSheet.h"
#include "Trayvane/Settings/ProfileNameSheet.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RuleAddSheet.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/RulesSettingsView.h"
#include "Trayvane/Settings/SectionRowView.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SectionsSettingsView.h"
#include "Trayvane/Settings/SettingsWindowController.h"
#include "Trayvane/SimulatedEnvironment.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/StatusItem/UserSwitcherItem.h"
#include "Trayvane/Support/FeedbackAction.h"
#include "Trayvane/Support/UpdateCheckAction.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace pellacor;

namespace {

struct State {
    const char* name;
    std::function<void(platform::SimulatedPlatform&)> arrange;
};

// The first half of the running applications that own items, allowed with every system item.
platform::MenuBarRestriction halfTheApplications(const platform::SimulatedDesktop& desktop) {
    platform::MenuBarRestriction restriction;
    for (int number = 0; number < 8; ++number) {
        restriction.allowedSystemItems.insert(number);
    }
    std::vector<std::string> owners;
    for (const auto& app : desktop.runningApplications()) {
        if (app.bundleIdentifier && !app.statusItems.empty() &&
            app.statusItems.front().kind == platform::SimulatedStatusItem::Kind::standard) {
            owners.push_back(*app.bundleIdentifier);
        }
    }
    for (std::size_t i = 0; i < owners.size(); i += 2) {
        restriction.allowedBundleIdentifiers.insert(owners[i]);
    }
    return restriction;
}

// Presses the first application item on the bar and lets its menu open.
void openAMenu(platform::SimulatedPlatform& platform) {
    auto& desktop = *platform.desktop();
    for (const auto& placed : desktop.menuBarItems()) {
        if (placed.item.kind != platform::SimulatedStatusItem::Kind::standard || !placed.item.title) {
            continue;
        }
        const auto app = desktop.application(placed.ownerProcessIdentifier);
        for (std::size_t i = 0; app && i < app->statusItems.size(); ++i) {
            if (app->statusItems[i] == placed.item) {
                desktop.pressItem(placed.ownerProcessIdentifier, i);
                return;
            }
        }
    }
}

// Gives the program a control item drawn from its own pixels: a template ring
// (drawn in the bar's text colour) at twice the pixels per point.
void ownItemFromPixels(platform::SimulatedPlatform& platform) {
    constexpr int size = 32;
    platform::StatusItemImage image{size, size, 2, std::vector<std::uint8_t>(std::size_t{size} * size * 4, 0),
                                    true};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - size / 2.0 + 0.5;
            const double dy = y - size / 2.0 + 0.5;
            const double distance = std::sqrt(dx * dx + dy * dy);
            if (distance > 9 && distance < 13) {
                image.rgba[(static_cast<std::size_t>(y) * size + static_cast<std::size_t>(x)) * 4 + 3] = 255;
            }
        }
    }
    // The bar keeps the item for as long as the platform lives.
    const auto item = platform.statusBar()->statusItem(platform::StatusItem::squareLength);
    item->setAutosaveName("Item-0");
    item->setAccessibilityIdentifier("trv-control");
    item->setImage(std::move(image));
}

// The program's control item in a state, in the light or the dark appearance,
// its menu open when asked: the right-hand part of the desktop where it stands.
struct ControlState {
    const char* name;
    core::MenuBarState state;
    std::optional<coordinator::PauseReason> reason;
    bool dark;
    bool menuOpen;
};

// A status item's menu drawn where the program would open it, below the
// item, instead of run; and the right-hand part of the desktop where the
// program's items stand, with that menu in it.
struct MenuShot {
    QImage image;
    QPointF at;

    app::StatusItemMenu::Runner runner(const demo::DesktopView& view,
                                       const platform::SimulatedPlatform& platform) {
        return [this, &view, &platform](QMenu& menu, const core::Rect& frame) {
            const auto first = platform.desktop()->screens().front().frame.standardized();
            const auto topDown = core::convertScreenSpace(frame, first);
            at = view.viewPoint({topDown.minX(), topDown.maxY()});
            menu.ensurePolished();
            menu.resize(menu.sizeHint());
            image = menu.grab().toImage();
        };
    }

    QImage rightHandPart(demo::DesktopView& view, int height) const {
        view.refresh();
        view.resize(view.sizeHint());
        QImage desktop = view.grab().toImage();
        if (!image.isNull()) {
            QPainter painter(&desktop);
            // Kept on the screen as the desktop keeps a shown menu.
            const QSize size = (QSizeF(image.size()) / image.devicePixelRatio()).toSize();
            const QRect kept =
                demo::DesktopView::keptOnScreen(QRect(at.toPoint(), size), QRect(QPoint(0, 0), view.size()));
            painter.drawImage(kept.topLeft(), image);
        }
        constexpr int width = 720;
        return desktop.copy(desktop.width() - width, 0, width, height);
    }
};

QImage renderControl(const ControlState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    auto platform = std::make_shared<platform::SimulatedPlatform>();
    demo::DesktopView view(platform);
    view.setDarkAppearance(shot.dark);
    MenuShot menu;
    app::ControlItem item(platform->statusBar(), platform->input(), menu.runner(view, *platform));
    item.userSwitchAvailable = true;
    item.profileChoices = [] {
        return std::vector<app::ProfileChoice>{{core::Uuid::random(), "仕事", true},
                                               {core::Uuid::random(), "家", false}};
    };
    // Every entry handled, as in the finished program: an entry nobody handles shows greyed.
    item.onToggle = [](bool) {};
    for (auto* callback :
         {&item.onPause, &item.onResume, &item.onOpenSettings, &item.onOpenPermissionGuide, &item.onOpenAbout,
          &item.onSendFeedback, &item.onCheckForUpdate, &item.onSwitchUser, &item.onManageProfiles}) {
        *callback = [] {};
    }
    item.onOpenHelp = [](std::optional<app::HelpTopic>) {};
    item.onSwitchProfile = [](core::Uuid) {};
    item.show(shot.state, shot.reason);
    if (shot.menuOpen) {
        item.buttonPressed(
            platform::StatusItem::ClickEvent{platform::StatusItem::ClickEvent::Kind::rightMouseUp, 0});
    }
    return menu.rightHandPart(view, 460);
}

// Every running application and every system item allowed: only the system's
// user-switching item leaves the bar, as it does under any restriction.
platform::MenuBarRestriction everyoneAllowed(const platform::SimulatedDesktop& desktop) {
    platform::MenuBarRestriction restriction;
    for (int number = 0; number < 8; ++number) {
        restriction.allowedSystemItems.insert(number);
    }
    for (const auto& app : desktop.runningApplications()) {
        if (app.bundleIdentifier) {
            restriction.allowedBundleIdentifiers.insert(*app.bundleIdentifier);
        }
    }
    return restriction;
}

// The user-switcher stand-in in one look on a collapsed bar, beside the
// system's items where the real one sat, its fallback menu open when asked:
// the right-hand part of the desktop.
struct StandInState {
    const char* name;
    app::UserSwitcherLook look;
    bool dark;
    bool menuOpen;
};

QImage renderStandIn(const StandInState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    QTemporaryDir home;
    platform::Scenario scenario = platform::Scenario::defaultScenario();
    scenario.home.folder = home.path().toStdString();
    auto platform = std::make_shared<platform::SimulatedPlatform>(scenario);
    platform->desktop()->setRestriction(everyoneAllowed(*platform->desktop()));
    demo::DesktopView view(platform);
    view.setDarkAppearance(shot.dark);
    app::ControlItem control(platform->statusBar(), platform->input(), [](QMenu&, const core::Rect&) {});
    control.show(core::MenuBarState::collapsed, std::nullopt);
    MenuShot menu;
    const app::UserSwitcherItem::Defaults defaults{
        platform->preferencesDomain(),
        platform::SimulatedStatusBar::domainFile(scenario.home.folder, std::string(core::bundleIdentifier))
            .string()};
    app::UserSwitcherItem standIn(
        defaults, [&shot] { return shot.look; },
        // Where the real item sat: right of every application's item.
        [] { return std::optional<double>(-1); }, platform->statusBar(), platform->userAccount(),
        menu.runner(view, *platform));
    standIn.userSwitchAvailable = true;
    standIn.setShown(true);
    if (shot.menuOpen) {
        standIn.showFallbackMenu();
    }
    return menu.rightHandPart(view, 300);
}

// The permission guide as it comes up over the desktop: placed under the
// pointer, waiting for the permission or with it granted.
struct GuideState {
    const char* name;
    std::optional<bool> trusted;
    bool dark;
};

QImage renderGuide(const GuideState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    auto platform = std::make_shared<platform::SimulatedPlatform>();
    demo::DesktopView view(platform);
    view.setDarkAppearance(shot.dark);
    // The pointer rests on the bar's right half, as after a click on the control item.
    const auto screen = platform->desktop()->mainScreen().frame.standardized();
    platform->input()->moveMouse({screen.maxX() - 300, screen.maxY() - 10});
    app::PermissionGuideWindowController guide(
        platform->screens(), platform->input(),
        [&view](const core::Point& topDown) { return view.viewPoint(topDown).toPoint(); });
    guide.model().setTrusted(shot.trusted);
    guide.show();
    app::PermissionGuideView& window = *guide.window();
    const QImage content = window.grab().toImage();
    const QPoint at = window.pos();
    window.hide();
    view.refresh();
    view.resize(view.sizeHint());
    QImage image = view.grab().toImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(at, QSizeF(content.width() / content.devicePixelRatio(),
                                  content.height() / content.devicePixelRatio()));
    for (int i = 1; i <= 6; ++i) {
        painter.setPen(QColor(0, 0, 0, 40 - 6 * i));
        painter.drawRoundedRect(frame.adjusted(-i, -i, i, i), 6 + i, 6 + i);
    }
    painter.drawImage(frame.topLeft(), content);
    return image;
}

// The help window as it opens: at its top or jumped to a topic's item, in
// Japanese or English; and the About window.
struct HelpState {
    const char* name;
    const char* localization;
    std::optional<app::HelpTopic> topic;
    bool dark;
};

QImage renderHelp(const HelpState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    app::HelpWindow help(
        {},
        [localization = std::string(shot.localization)] { return app::HelpWindow::bundled(localization); },
        shot.localization);
    help.show(shot.topic);
    QImage image = help.window()->grab().toImage();
    help.close();
    return image;
}

QImage renderAbout(bool dark) {
    demo::DesktopAppearance::apply(dark);
    app::AboutWindow about({});
    about.show();
    QImage image = about.window()->grab().toImage();
    about.close();
    return image;
}

// The settings' General page in one login state, or paused, at the width the
// settings window gives it and as tall as its content.
struct GeneralPageState {
    const char* name;
    system::LoginItemStatus login;
    bool inApplicationsFolder;
    core::MenuBarState state;
    bool dark;
};

QImage renderGeneralPage(const GeneralPageState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    app::GeneralModel model;
    model.setLoginStatus(shot.login);
    model.setInApplicationsFolder(shot.inApplicationsFolder);
    model.setTrusted(true);
    model.setState(shot.state);
    if (shot.state == core::MenuBarState::paused) {
        model.setPauseReason(coordinator::PauseReason::manual());
    }
    model.setBelowBar(true);
    app::GeneralSettingsView page(model);
    constexpr int width = 640;
    page.resize(width, 400);
    page.show();
    QWidget* content = page.widget();
    content->layout()->activate();
    const int height =
        content->hasHeightForWidth() ? content->heightForWidth(width) : content->sizeHint().height();
    page.resize(width, height);
    QCoreApplication::processEvents();
    QImage image = page.grab().toImage();
    page.close();
    return image;
}

// The feedback notice as it first shows, and after its copy button.
QImage renderFeedback(bool dark, bool copied) {
    demo::DesktopAppearance::apply(dark);
    const auto feedback = app::FeedbackAction::create(
        {}, [](const std::string&) { return true; }, [](const std::string&) {});
    core::FeedbackReport::Environment facts;
    facts.appVersion = "1.4.2";
    feedback->show(facts);
    if (copied) {
        feedback->copy(facts);
    }
    QImage image = feedback->window().window()->grab().toImage();
    feedback->window().close();
    return image;
}

// The update check's notice for one verdict.
QImage renderUpdate(bool dark, const core::UpdateCheck::Status& status) {
    demo::DesktopAppearance::apply(dark);
    const auto updates = app::UpdateCheckAction::create({});
    updates->prepare(status);
    updates->window().show();
    QImage image = updates->window().window()->grab().toImage();
    updates->window().close();
    return image;
}

// The settings' profile bar over three profiles as the layout page holds it,
// alone, with the name sheet showing a problem, or with the delete sheet; a
// sheet hangs from the top of the page, centred, as it does from the window.
struct ProfileBarState {
    enum class Sheet { none, name, remove };
    const char* name;
    Sheet sheet;
    bool dark;
};

QImage withSheet(QWidget& page, QWidget* sheet, bool dark);

// The bar at the top of a page 640 wide, as the layout page holds it, shown.
app::ProfileBar* profileBarOn(QWidget& page, app::ProfilesModel& model) {
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(20, 20, 20, 20);
    auto* bar = new app::ProfileBar(model, &page);
    layout->addWidget(bar);
    layout->addStretch(1);
    page.setFixedWidth(640);
    page.show();
    page.adjustSize();
    return bar;
}

QImage renderProfileBar(const ProfileBarState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    app::ProfilesModel model;
    model.setChoices({{core::Uuid::random(), "ふだん", true},
                      {core::Uuid::random(), "仕事", false},
                      {core::Uuid::random(), "旅行", false}});
    model.suggestName = [](const std::string& base) { return base + " 2"; };
    QWidget page;
    app::ProfileBar* bar = profileBarOn(page, model);

    QWidget* sheet = nullptr;
    if (shot.sheet == ProfileBarState::Sheet::name) {
        bar->add();
        bar->nameSheet()->findChild<QLineEdit*>("profile:name")->setText(QStringLiteral("仕事"));
        bar->nameSheet()->commit();
        sheet = bar->nameSheet();
    } else if (shot.sheet == ProfileBarState::Sheet::remove) {
        bar->remove();
        sheet = bar->deleteSheet();
    }
    return withSheet(page, sheet, shot.dark);
}

// The profile bar with "A&B 旅行" active, alone or with the picker's menu open
// under it: the name reads as typed in both.
QImage renderProfileBarAmpersand(bool dark, bool menuOpen) {
    demo::DesktopAppearance::apply(dark);
    app::ProfilesModel model;
    model.setChoices({{core::Uuid::random(), "ふだん", false},
                      {core::Uuid::random(), "A&B 旅行", true},
                      {core::Uuid::random(), "R&D", false}});
    QWidget page;
    app::ProfileBar* bar = profileBarOn(page, model);
    if (!menuOpen) {
        return page.grab().toImage();
    }
    auto* picker = bar->findChild<QPushButton*>("profile:picker");
    QMenu& menu = bar->profileMenu();
    menu.popup(picker->mapToGlobal(QPoint(0, picker->height())));
    QApplication::processEvents();
    const QImage open = menu.grab().toImage();
    const QSizeF openSize(open.width() / open.devicePixelRatio(), open.height() / open.devicePixelRatio());
    const QPoint under = picker->mapTo(&page, QPoint(0, picker->height()));
    const QImage content = page.grab().toImage();
    const QSize size(page.width(),
                     std::max(page.height(), under.y() + static_cast<int>(openSize.height()) + 10));
    QImage image(size * content.devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(content.devicePixelRatio());
    image.fill(page.palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawImage(QPointF(0, 0), content);
    painter.drawImage(QPointF(under), open);
    menu.close();
    return image;
}

// The page as it stands, with a sheet (when there is one) hanging from its
// top, centred, as it does from the window, over the page dimmed a little.
QImage withSheet(QWidget& page, QWidget* sheet, bool dark) {
    QImage content = page.grab().toImage();
    if (sheet == nullptr) {
        return content;
    }
    const QImage drop = sheet->grab().toImage();
    const QSizeF dropSize(drop.width() / drop.devicePixelRatio(), drop.height() / drop.devicePixelRatio());
    const QSize size(page.width(), std::max(page.height(), static_cast<int>(dropSize.height()) + 30));
    QImage image(size * content.devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(content.devicePixelRatio());
    image.fill(page.palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(QPointF(0, 0), content);
    // The page behind a sheet is dimmed a little, as behind any modal sheet.
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), QColor(0, 0, 0, dark ? 90 : 40));
    const QRectF frame(QPointF((size.width() - dropSize.width()) / 2, 0), dropSize);
    for (int i = 1; i <= 6; ++i) {
        painter.setPen(QColor(0, 0, 0, 40 - 6 * i));
        painter.drawRoundedRect(frame.adjusted(-i, -i, i, i), 6 + i, 6 + i);
    }
    painter.drawImage(frame.topLeft(), drop);
    return image;
}

// The settings' sections page over eight applications: every band filled, or
// the always-hidden band empty; a drag hovering over a row; a row's move menu
// open below its button.
struct SectionsPageState {
    enum class Extra { none, hover, menu, lastRowMenu };
    const char* name;
    bool emptyBand;
    Extra extra;
    bool dark;
};

using AppNames = std::vector<std::pair<std::string, std::string>>;

// The sections page's applications: two shown, two hidden (the second not
// running), two always hidden unless the band is empty.
const AppNames sectionsPageApps{
    {"com.example.brambleclip", "Bramble Clip"},   {"com.example.cobaltide", "Cobaltide"},
    {"com.example.driftkey", "DriftKey"},          {"com.example.fernlight", "Fernlight"},
    {"com.example.lanternmeter", "Lantern Meter"}, {"com.example.orbitab", "Orbitab"},
};

core::Profile sectionsPageProfile(bool emptyBand) {
    const AppNames& apps = sectionsPageApps;
    const core::Section last = emptyBand ? core::Section::hidden : core::Section::alwaysHidden;
    std::map<core::AppKey, core::Section> sections{
        {core::AppKey(apps[0].first), core::Section::shown},
        {core::AppKey(apps[1].first), core::Section::shown},
        {core::AppKey(apps[2].first), core::Section::hidden},
        {core::AppKey(apps[3].first), core::Section::hidden},
        {core::AppKey(apps[4].first), last},
        {core::AppKey(apps[5].first), last},
    };
    std::vector<core::AppKey> order;
    for (const auto& app : apps) {
        order.emplace_back(app.first);
    }
    return core::Profile(core::Uuid::random(), "ふだん", sections, order, core::Section::hidden);
}

// Every application of the page runs but the fourth, beside the program and two of Apple's.
std::set<std::string> sectionsPageRunning(const std::string& self) {
    std::set<std::string> running{self, "com.apple.clock", "com.apple.battery"};
    for (std::size_t i = 0; i < sectionsPageApps.size(); ++i) {
        if (i != 3) {
            running.insert(sectionsPageApps[i].first);
        }
    }
    return running;
}

// The page's items as a read gives them: one each (two of the third), Apple's
// two and the program's own.
std::vector<core::ItemSnapshot> sectionsPageItems(const std::string& self) {
    const AppNames& apps = sectionsPageApps;
    std::vector<core::ItemSnapshot> items;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        // One not running, so without items: its row says so.
        if (i == 3) {
            continue;
        }
        const int count = i == 2 ? 2 : 1;
        for (int k = 0; k < count; ++k) {
            items.emplace_back(apps[i].first, 500 + static_cast<int>(i * 2) + k, apps[i].first + ".status",
                               std::nullopt, std::nullopt, 0,
                               core::Rect(100.0 + 30.0 * static_cast<double>(i) + k, 0, 24, 24));
        }
    }
    for (const char* apple : {"com.apple.clock", "com.apple.battery"}) {
        items.emplace_back(apple, 900, std::string(apple) + ".status", std::nullopt, std::nullopt, 0,
                           core::Rect(800, 0, 24, 24));
    }
    items.emplace_back(self, 950, self + ".status", std::nullopt, std::nullopt, 0,
                       core::Rect(700, 0, 24, 24));
    return items;
}

// A drag of the third application's row hovering over the second's.
void hoverADrag(app::SectionsSettingsView& page, QMimeData& dragged) {
    app::SectionRowView* target = page.row(sectionsPageApps[1].first);
    if (target == nullptr) {
        return;
    }
    dragged.setText(QString::fromStdString(sectionsPageApps[2].first));
    QDragEnterEvent enter(target->rect().center(), Qt::MoveAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
}

// The row's move menu opened and drawn into the picture, right-aligned under
// its button as it is at the window's right edge.
void drawMoveMenu(QImage& image, app::SectionsSettingsView& page, app::SectionRowView& row) {
    QMenu* menu = row.moveMenu();
    QPushButton* button = row.menuButton();
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    QApplication::processEvents();
    const QImage open = menu->grab().toImage();
    const double openWidth = open.width() / open.devicePixelRatio();
    const QPoint under = button->mapTo(&page, QPoint(button->width(), button->height()));
    const QPointF at(std::max(0.0, under.x() - openWidth), under.y());
    QPainter painter(&image);
    painter.drawImage(at, open);
    menu->close();
}

QImage renderSectionsPage(const SectionsPageState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    const std::string self = "app.trayvane.pellacor";
    app::SectionsModel model(sectionsPageProfile(shot.emptyBand), self);
    model.update(sectionsPageItems(self), sectionsPageRunning(self), std::nullopt);
    app::ProfilesModel profiles;
    profiles.setChoices({{core::Uuid::random(), "ふだん", true}, {core::Uuid::random(), "仕事", false}});
    std::map<std::string, std::string> names(sectionsPageApps.begin(), sectionsPageApps.end());
    app::SectionsSettingsView page(model, profiles, nullptr, [names](const std::string& id) {
        const auto found = names.find(id);
        return found == names.end() ? id : found->second;
    });
    page.resize(640, 400);
    page.show();
    page.resize(640, page.widget()->sizeHint().height());
    QApplication::processEvents();

    QMimeData dragged;
    if (shot.extra == SectionsPageState::Extra::hover) {
        hoverADrag(page, dragged);
    }
    QImage image = page.grab().toImage();
    // The first row of the hidden band cannot go up; its last one cannot go down.
    const bool lastRow = shot.extra == SectionsPageState::Extra::lastRowMenu;
    app::SectionRowView* menuRow = page.row(sectionsPageApps[lastRow ? 3 : 2].first);
    if ((shot.extra == SectionsPageState::Extra::menu || lastRow) && menuRow && menuRow->menuButton()) {
        drawMoveMenu(image, page, *menuRow);
    }
    return image;
}

// The settings' rules page: empty (one profile only), or with four rules, the
// second in force, at the widths that give a row each of its three
// arrangements; or with the add sheet open, showing its duplicate text.
struct RulesPageState {
    enum class Extra { empty, rules, sheet };
    const char* name;
    Extra extra;
    int width;
    bool dark;
};

QImage renderRulesPage(const RulesPageState& shot) {
    demo::DesktopAppearance::apply(shot.dark);
    using Condition = core::AppRule::Condition;
    const core::Uuid usual = core::Uuid::random();
    const core::Uuid work = core::Uuid::random();
    const core::Uuid focus = core::Uuid::random();
    app::RulesModel model;
    if (shot.extra == RulesPageState::Extra::empty) {
        model.setProfiles({{usual, "ふだん", true}});
    } else {
        model.setProfiles({{usual, "ふだん", false}, {work, "仕事", true}, {focus, "集中", false}});
        model.setRows({
            {core::Uuid::random(), "com.example.fernlight", "Fernlight", Condition::frontmost, focus, "集中",
             false},
            {core::Uuid::random(), "com.example.driftkey", "DriftKey", Condition::running, work, "仕事",
             true},
            {core::Uuid::random(), "com.example.driftkey", "DriftKey", Condition::frontmost, focus, "集中",
             false},
            {core::Uuid::random(), "com.example.quillmark", "Quillmark", Condition::running, work, "仕事",
             false},
        });
    }
    model.runningApps = [] {
        return std::vector<app::RuleAppChoice>{{"com.example.driftkey", "DriftKey"},
                                               {"com.example.fernlight", "Fernlight"}};
    };
    app::RulesSettingsView page(model, nullptr);
    page.setMinimumWidth(0);
    page.resize(shot.width, 400);
    page.show();
    QApplication::processEvents();
    page.resize(shot.width, page.widget()->heightForWidth(shot.width) > 0
                                ? page.widget()->heightForWidth(shot.width)
                                : page.widget()->sizeHint().height());
    QApplication::processEvents();
    QWidget* sheet = nullptr;
    if (shot.extra == RulesPageState::Extra::sheet) {
        page.openAddSheet();
        app::RuleAddSheet* adding = page.addSheet();
        adding->chooseApp({"com.example.fernlight", "Fernlight"});
        adding->chooseCondition(Condition::frontmost);
        adding->commit();
        QApplication::processEvents();
        sheet = adding;
    }
    return withSheet(page, sheet, shot.dark);
}

// The settings window as a person first sees each of its pages: the tab bar
// and help button above a divider, over a few applications in every section,
// two profiles and two rules, light or dark.
QImage renderSettingsWindow(app::SettingsPage page, bool dark) {
    demo::DesktopAppearance::apply(dark);
    const std::string self = "app.trayvane.pellacor";
    const std::vector<std::pair<std::string, std::string>> apps{
        {"com.example.brambleclip", "Bramble Clip"}, {"com.example.cobaltide", "Cobaltide"},
        {"com.example.driftkey", "DriftKey"},        {"com.example.fernlight", "Fernlight"},
        {"com.example.orbitab", "Orbitab"},
    };
    const core::Section placed[] = {core::Section::shown, core::Section::shown, core::Section::hidden,
                                    core::Section::hidden, core::Section::alwaysHidden};
    std::map<core::AppKey, core::Section> sections;
    std::vector<core::AppKey> order;
    std::vector<core::ItemSnapshot> items;
    std::set<std::string> running{self};
    for (std::size_t i = 0; i < apps.size(); ++i) {
        sections.emplace(core::AppKey(apps[i].first), placed[i]);
        order.emplace_back(apps[i].first);
        items.emplace_back(apps[i].first, 500 + static_cast<int>(i), apps[i].first + ".status", std::nullopt,
                           std::nullopt, 0, core::Rect(100.0 + 30.0 * static_cast<double>(i), 0, 24, 24));
        running.insert(apps[i].first);
    }
    items.emplace_back(self, 950, self + ".status", std::nullopt, std::nullopt, 0,
                       core::Rect(700, 0, 24, 24));
    const core::Uuid usual = core::Uuid::random();
    const core::Uuid work = core::Uuid::random();
    auto model = std::make_shared<app::SectionsModel>(
        core::Profile(usual, "ふだん", sections, order, core::Section::hidden), self);
    model->update(items, running, std::nullopt);
    auto profiles = std::make_shared<app::ProfilesModel>();
    profiles->setChoices({{usual, "ふだん", true}, {work, "仕事", false}});
    auto rules = std::make_shared<app::RulesModel>();
    using Condition = core::AppRule::Condition;
    rules->setProfiles({{usual, "ふだん", true}, {work, "仕事", false}});
    rules->setRows({
        {core::Uuid::random(), "com.example.driftkey", "DriftKey", Condition::running, work, "仕事", false},
        {core::Uuid::random(), "com.example.fernlight", "Fernlight", Condition::frontmost, usual, "ふだん",
         false},
    });
    const auto general = std::make_shared<app::GeneralModel>();
    general->setLoginStatus(system::LoginItemStatus::enabled);
    general->setTrusted(true);
    general->setInApplicationsFolder(true);
    general->setState(core::MenuBarState::collapsed);
    concurrency::ManualExecutor executor;
    std::map<std::string, std::string> names(apps.begin(), apps.end());
    auto controller = app::SettingsWindowController::create(
        model, profiles, rules, general,
        app::SettingsWindowController::Services{
            .executor = &executor,
            .now = {},
            .windows = {},
            .pages = {.icons = nullptr,
                      .name =
                          [names](const std::string& id) {
                              const auto found = names.find(id);
                              return found == names.end() ? id : found->second;
                          }},
        });
    controller->show(page);
    // Short enough to show the whole window on one screen of the pictures.
    controller->window()->resize(app::SettingsWindowController::contentWidth, 720);
    QApplication::processEvents();
    QImage image = controller->window()->grab().toImage();
    controller->close();
    return image;
}

// Writes one state's picture and names the file, or says why it could not.
bool save(const QImage& image, const QString& folder, const char* name) {
    const QString file = folder + "/" + name + ".png";
    if (!image.save(file)) {
        std::fprintf(stderr, "pellacor-screenshots: cannot write %s\n", file.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", file.toLocal8Bit().constData());
    return true;
}

// Every item of the running applications as a read would give it, without frames.
std::vector<core::ItemSnapshot> runningItems(const platform::SimulatedDesktop& desktop) {
    std::vector<core::ItemSnapshot> items;
    for (const auto& app : desktop.runningApplications()) {
        for (std::size_t i = 0; i < app.statusItems.size() && app.bundleIdentifier; ++i) {
            const auto& item = app.statusItems[i];
            items.emplace_back(*app.bundleIdentifier, app.processIdentifier, item.identifier,
                               item.description, item.title, static_cast<int>(i), std::nullopt);
        }
    }
    return items;
}

// The desktop with the program's control item on it (collapsed) and the
// names and icons the workspace gives, for a panel of the program drawn over
// it. Icons are drawn at once, here, so the picture shows them.
struct ProgramScene {
    std::shared_ptr<platform::SimulatedPlatform> platform;
    demo::DesktopView view;
    app::ControlItem item;
    concurrency::ManualExecutor executor;
    std::shared_ptr<app::AppLookup> names;
    std::shared_ptr<app::IconStore> icons;

    ProgramScene(std::shared_ptr<platform::SimulatedPlatform> arranged, bool dark)
        : platform(std::move(arranged)), view(platform), item(platform->statusBar(), platform->input()),
          names(std::make_shared<app::AppLookup>(platform->workspace(), platform->fileManager())),
          icons(app::IconStore::create(executor, platform->workspace(),
                                       [](std::function<void()> work) -> concurrency::Task<void> {
                                           work();
                                           co_return;
                                       })) {
        demo::DesktopAppearance::apply(dark);
        view.setDarkAppearance(dark);
        view.resize(view.sizeHint());
        item.show(core::MenuBarState::collapsed, std::nullopt);
    }

    std::function<std::string(const std::string&)> name() const {
        return [lookup = names](const std::string& id) { return lookup->name(id); };
    }
    // The panel's position is given in the view's pixels here.
    std::function<QPoint(core::Point)> place() {
        return [this](core::Point topDown) { return view.viewPoint(topDown).toPoint(); };
    }
    // The desktop with the panel drawn where it stands.
    QImage picture(QWidget& panel) {
        executor.runUntilIdle();
        // A scroll bar shows or hides itself a turn after its list changed.
        QCoreApplication::processEvents();
        view.refresh();
        QImage image = view.grab().toImage();
        QPainter painter(&image);
        painter.drawImage(panel.pos(), panel.grab().toImage());
        return image;
    }
};

// The profile of the panels' pictures: every application hidden but two shown
// ones (and one always hidden, where asked).
core::Profile everydayProfile(bool oneAlwaysHidden) {
    std::map<core::AppKey, core::Section> sections{
        {core::AppKey("com.example.zephyrin"), core::Section::shown},
        {core::AppKey("com.example.lanternmeter"), core::Section::shown}};
    if (oneAlwaysHidden) {
        sections.emplace(core::AppKey("com.example.driftkey"), core::Section::alwaysHidden);
    }
    return core::Profile(core::Uuid::random(), "ふだん", sections, {}, core::Section::hidden);
}

// The below-bar panel open under the control item with the first `count`
// entries the default desktop would list, their names and icons as the
// workspace gives them.
struct PanelState {
    const char* name;
    std::size_t count;
    bool dark;
};

QImage renderPanel(const PanelState& shot) {
    auto platform = std::make_shared<platform::SimulatedPlatform>();
    // The bar as the program keeps it collapsed: the shown applications, the
    // program itself and the system's items.
    platform::MenuBarRestriction collapsed;
    for (int number = 0; number < 8; ++number) {
        collapsed.allowedSystemItems.insert(number);
    }
    collapsed.allowedBundleIdentifiers = {"com.example.zephyrin", "com.example.lanternmeter",
                                          std::string(core::bundleIdentifier)};
    platform->desktop()->setRestriction(collapsed);
    ProgramScene scene(platform, shot.dark);
    app::BelowBarController controller({platform->screens(), platform->input(), platform->statusBar(),
                                        platform->input(), platform->programWindows(), scene.icons,
                                        scene.name(), scene.place()});
    auto entries = core::BelowBarList::entries(runningItems(*platform->desktop()), everydayProfile(false),
                                               core::bundleIdentifier, {});
    entries.resize(std::min(entries.size(), shot.count));
    const auto window = scene.item.statusItem()->buttonWindow();
    controller.show(entries, window ? std::optional(window->frame) : std::nullopt);
    const QImage image = scene.picture(*controller.panel());
    controller.close();
    constexpr int width = 1200;
    constexpr int height = 400;
    return image.copy(image.width() - width, 0, width, height);
}

// The search panel open over the desktop with every item the default desktop
// would list and a query typed.
struct SearchState {
    const char* name;
    const char* query;
    bool dark;
};

QImage renderSearch(const SearchState& shot) {
    auto platform = std::make_shared<platform::SimulatedPlatform>();
    ProgramScene scene(platform, shot.dark);
    auto window = std::make_shared<app::SearchWindow>(app::SearchWindow::Services{
        platform->screens(), platform->input(), platform->programWindows(), scene.icons, scene.place()});
    app::SearchController controller(std::make_shared<app::SearchModel>(scene.name()), window, scene.icons,
                                     [] {});
    controller.show(core::SearchList::candidates(runningItems(*platform->desktop()), everydayProfile(true),
                                                 core::bundleIdentifier));
    controller.model().setQuery(shot.query);
    const QImage image = scene.picture(*window->panel());
    controller.close("司令塔");
    constexpr int left = 256;
    constexpr int width = 1000;
    constexpr int height = 660;
    return image.copy(left, 0, width, height);
}

// The program itself on the demo desktop, run as the executable runs it (the
// Qt event loop's executor, real time) over a computer of its own in a
// temporary folder, and used as a person uses it: clicks on the desktop and
// the panels, keys on the desktop's keyboard, the real folder dialog.
class RunningProgram {
public:
    explicit RunningProgram(bool belowBar) {
        platform::Scenario scenario = platform::Scenario::defaultScenario();
        const std::filesystem::path computer = folder_.path().toStdString();
        scenario.home.folder = computer / "home";
        scenario.root = computer / "disk";
        std::filesystem::create_directories(scenario.home.folder);
        std::filesystem::create_directories(scenario.root / "Applications");
        platform_ = std::make_shared<platform::SimulatedPlatform>(scenario);
        app::AppDelegate::Environment environment = app::simulatedEnvironment(executor_, *platform_);
        view_ = std::make_unique<demo::DesktopView>(platform_);
        demo::DesktopAppearance::apply(false);
        view_->resize(view_->sizeHint());
        if (belowBar) {
            // As the README tells: the switch is set in the user defaults before launch.
            app::UserDefaults::standard(platform_->preferencesDomain(), *platform_->fileManager())
                .setBool(app::DefaultsKey::belowBarEnabled, true);
        }
        environment.stateFile = computer / "data/state.json";
        environment.terminate = [] {};
        environment.startWatchdog = false;
        // The panels are placed in the view's pixels, so the picture draws them where they stand.
        environment.place = [view = view_.get()](core::Point topDown) {
            return view->viewPoint(topDown).toPoint();
        };
        delegate_ = app::AppDelegate::create(std::move(environment), false);
        delegate_->applicationDidFinishLaunching();
    }
    ~RunningProgram() {
        delegate_->applicationWillTerminate();
        waitFor([] { return false; }, std::chrono::milliseconds(100));
        delegate_.reset();
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    app::AppDelegate& delegate() const { return *delegate_; }
    platform::SimulatedPlatform& simulated() const { return *platform_; }
    demo::DesktopView& view() const { return *view_; }

    // Runs the event loop until `done` holds; false when `limit` passed first.
    static bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > limit.count()) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
    // Waits for the program to collapse the bar after its start; says so when it does not.
    bool collapsed() const {
        if (waitFor(
                [this] {
                    return delegate_->engine().coordinator()->effectiveState() ==
                           core::MenuBarState::collapsed;
                },
                std::chrono::seconds(20))) {
            return true;
        }
        std::fprintf(stderr, "pellacor-screenshots: the program did not collapse the bar\n");
        return false;
    }

    void clickControlItem() {
        if (const auto rect = view_->itemRect("trv-control")) {
            demo::sendClick(*view_, rect->center());
        }
    }
    // ⌃⇧F on the desktop's keyboard.
    void pressSearchKey() const {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F, Qt::MetaModifier | Qt::ShiftModifier);
        QApplication::sendEvent(view_.get(), &press);
    }
    bool menuOpenOf(const std::string& bundleID) const {
        const auto app = platform_->desktop()->runningApplication(bundleID);
        const auto windows = platform_->desktop()->windows();
        return app && std::any_of(windows.begin(), windows.end(), [&](const auto& window) {
                   return window.ownerProcessIdentifier == app->processIdentifier &&
                          window.layer == platform::SimulatedDesktop::menuLayer;
               });
    }

    // The desktop with the program's visible panels drawn where they stand.
    QImage picture() const {
        view_->refresh();
        QImage image = view_->grab().toImage();
        QPainter painter(&image);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window != view_.get() && window->windowType() != Qt::Desktop &&
                (qobject_cast<app::BelowBarPanel*>(window) != nullptr ||
                 qobject_cast<app::SearchPanel*>(window) != nullptr)) {
                painter.drawImage(window->pos(), window->grab().toImage());
            }
        }
        return image;
    }

private:
    QTemporaryDir folder_;
    concurrency::QtExecutor executor_;
    std::shared_ptr<platform::SimulatedPlatform> platform_;
    std::unique_ptr<demo::DesktopView> view_;
    std::shared_ptr<app::AppDelegate> delegate_;
};

constexpr const char* programHiddenApp = "com.example.fernlight";

// The right-hand part of the desktop where the bar and the panel under the control item are.
QImage underTheControlItem(const QImage& image) {
    constexpr int width = 1200;
    constexpr int height = 400;
    return image.copy(image.width() - width, 0, width, height);
}

// With the below-bar switch set before launch: the panel after a click on the
// control item, and the hidden item's menu after a click on its cell.
int renderBelowBarClicks(const QString& folder) {
    RunningProgram program(true);
    if (!program.collapsed()) {
        return 2;
    }
    program.clickControlItem();
    auto* panel = program.delegate().panels().belowBar().panel();
    if (!RunningProgram::waitFor([&] { return panel != nullptr && panel->isVisible(); },
                                 std::chrono::seconds(5))) {
        std::fprintf(stderr, "pellacor-screenshots: a click did not open the below-bar panel\n");
        return 2;
    }
    // The icons are drawn on a queue of their own.
    RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(300));
    int failures =
        save(underTheControlItem(program.picture()), folder, "program-belowbar-click-light") ? 0 : 1;

    auto* cell = panel->findChild<app::BelowBarCell*>(QString("belowbar:") + programHiddenApp + "#0");
    if (cell == nullptr) {
        std::fprintf(stderr, "pellacor-screenshots: no cell for %s\n", programHiddenApp);
        return failures + 1;
    }
    demo::sendClick(*cell, QRectF(cell->rect()).center());
    if (!RunningProgram::waitFor([&] { return program.menuOpenOf(programHiddenApp); },
                                 std::chrono::seconds(15))) {
        std::fprintf(stderr, "pellacor-screenshots: the cell did not open the item's menu\n");
        return failures + 1;
    }
    failures +=
        save(underTheControlItem(program.picture()), folder, "program-belowbar-cell-menu-light") ? 0 : 1;
    return failures;
}

// The search panel opened with its hot key, a query typed.
int renderSearchHotKey(const QString& folder) {
    RunningProgram program(false);
    if (!program.collapsed()) {
        return 2;
    }
    program.pressSearchKey();
    if (!RunningProgram::waitFor([&] { return program.delegate().panels().search().isOpen(); },
                                 std::chrono::seconds(5))) {
        std::fprintf(stderr, "pellacor-screenshots: the hot key did not open the search panel\n");
        return 2;
    }
    for (const QChar character : QString("fern")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(300));
    constexpr int left = 256;
    constexpr int width = 1000;
    constexpr int height = 660;
    return save(program.picture().copy(left, 0, width, height), folder, "program-search-hotkey-query-light")
               ? 0
               : 1;
}

// The settings window on the sections page of the program running on the
// desktop, with the bar collapsed: the hidden band's applications are off the
// bar by the program's doing and their rows say nothing of macOS.
int renderCollapsedSections(const QString& folder) {
    RunningProgram program(false);
    if (!program.collapsed()) {
        return 2;
    }
    const auto& settings = program.delegate().settings().settingsWindow();
    settings->show(app::SettingsPage::sections);
    // The window's showing asks for a fresh read; the icons are drawn on a queue of their own.
    RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(1500));
    QWidget* window = settings->window();
    if (window == nullptr) {
        std::fprintf(stderr, "pellacor-screenshots: the settings window did not open\n");
        return 2;
    }
    window->resize(app::SettingsWindowController::contentWidth, 900);
    int failures = 0;
    for (const bool dark : {false, true}) {
        demo::DesktopAppearance::apply(dark);
        RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(200));
        failures += save(window->grab().toImage(), folder,
                         dark ? "program-sections-collapsed-dark" : "program-sections-collapsed-light")
                        ? 0
                        : 1;
    }
    demo::DesktopAppearance::apply(false);
    settings->close();
    return failures;
}

// The right-hand part of the bar, twice as large so the order reads.
QImage theBar(const QImage& image) {
    constexpr int width = 760;
    constexpr int height = 40;
    return image.copy(image.width() - width, 0, width, height)
        .scaled(width * 2, height * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The desktop with a program's file dialog drawn over it, dimmed, once the
// dialog's list has filled in (from a thread of the dialog's own).
QImage withFileDialog(RunningProgram& program, QWidget& dialog) {
    RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(500));
    QImage image = program.picture();
    {
        QPainter painter(&image);
        const QImage panel = dialog.grab().toImage();
        painter.fillRect(image.rect(), QColor(0, 0, 0, 40));
        painter.drawImage((image.width() - panel.width()) / 2, 120, panel);
    }
    return image;
}

// The reorder that needs the layout folder: the real dialog, answered with its
// button, and the bar before and after it follows the profile's order.
int renderLayoutFolderGrant(const QString& folder) {
    RunningProgram program(false);
    if (!program.collapsed()) {
        return 2;
    }
    auto& delegate = program.delegate();
    core::Profile profile = delegate.settings().sectionsModel()->profile();
    const core::AppKey left("com.example.zephyrin");
    const core::AppKey right("com.example.lanternmeter");
    profile.assign(left, core::Section::shown);
    profile.assign(right, core::Section::shown);
    delegate.settings().sectionsModel()->onChange(profile);
    // The menu bar records the items it shows a while after they show.
    RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(3500));
    int failures = save(theBar(program.picture()), folder, "program-grant-bar-before-light") ? 0 : 1;

    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != app::LayoutFolderPanel::identifier || answered) {
            return;
        }
        answered = true;
        poll.stop();
        const QImage image = withFileDialog(program, *dialog);
        failures += save(image, folder, "program-grant-dialog-light") ? 0 : 1;
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == "開く") {
                button->click();
                return;
            }
        }
        dialog->close();
    });
    poll.start(50);
    profile.order = {left, right};
    delegate.settings().sectionsModel()->onReorder(profile);
    const auto follows = [&] {
        const auto order = delegate.settings().sectionsModel()->layoutOrder();
        if (!order) {
            return false;
        }
        const auto l = std::find(order->begin(), order->end(), left);
        const auto r = std::find(order->begin(), order->end(), right);
        return l != order->end() && r != order->end() && l < r;
    };
    if (!RunningProgram::waitFor([&] { return answered && follows(); }, std::chrono::seconds(15))) {
        std::fprintf(stderr, "pellacor-screenshots: the bar did not follow the profile after the grant\n");
        return failures + 1;
    }
    RunningProgram::waitFor([] { return false; }, std::chrono::milliseconds(300));
    failures += save(theBar(program.picture()), folder, "program-grant-bar-after-light") ? 0 : 1;
    return failures;
}

// The rules page's "other application" panel: the real file dialog over the
// simulated Applications folder, with a bundle for each installed application.
int renderRuleApplicationPanel(const QString& folder) {
    RunningProgram program(false);
    if (!program.collapsed()) {
        return 1;
    }
    int failures = 1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != app::ApplicationPanel::identifier) {
            return;
        }
        poll.stop();
        const QImage image = withFileDialog(program, *dialog);
        failures = save(image, folder, "program-rule-app-panel-light") ? 0 : 1;
        dialog->close();
    });
    poll.start(50);
    std::optional<std::optional<app::RuleAppChoice>> answer;
    program.delegate().settings().rulesModel()->chooseOtherApp(
        [&](std::optional<app::RuleAppChoice> chosen) { answer = std::move(chosen); });
    RunningProgram::waitFor([&] { return answer.has_value(); }, std::chrono::seconds(30));
    poll.stop();
    if (const auto chosen = answer.value_or(std::nullopt)) {
        std::fprintf(stderr, "pellacor-screenshots: the closed application panel still chose %s\n",
                     chosen->bundleID.c_str());
        return failures + 1;
    }
    return failures;
}

// Both file dialogs again with Qt's words in English, as the program shows
// them where it speaks English (LANGUAGE=en): drawn as above into a scratch
// folder, of which only the dialogs' pictures are kept.
int renderFileDialogsInEnglish(const QString& folder) {
    QTemporaryDir scratch;
    app::QtTranslations::use("en");
    int failures = renderLayoutFolderGrant(scratch.path()) + renderRuleApplicationPanel(scratch.path());
    app::QtTranslations::use("ja");
    for (const QString& name :
         {QStringLiteral("program-grant-dialog"), QStringLiteral("program-rule-app-panel")}) {
        const QString to = folder + "/" + name + "-en-light.png";
        QFile::remove(to);
        if (!QFile::copy(scratch.path() + "/" + name + "-light.png", to)) {
            std::fprintf(stderr, "pellacor-screenshots: cannot write %s\n", to.toLocal8Bit().constData());
            ++failures;
            continue;
        }
        std::printf("%s\n", to.toLocal8Bit().constData());
    }
    return failures;
}

// Saves each shot's picture under its name; the number that could not be written.
template <typename Shot, typename Render>
int saveEach(const std::vector<Shot>& shots, const QString& folder, Render render) {
    int failures = 0;
    for (const auto& shot : shots) {
        failures += save(render(shot), folder, shot.name) ? 0 : 1;
    }
    return failures;
}

// The demo desktop alone in each of its named states.
int saveDesktopStates(const QString& folder) {
    const std::vector<State> states{
        {"default-desktop", [](platform::SimulatedPlatform&) {}},
        {"restricted-half",
         [](platform::SimulatedPlatform& p) {
             p.desktop()->setRestriction(halfTheApplications(*p.desktop()));
         }},
        {"pressed-item-menu", openAMenu},
        {"notch-folded",
         [](platform::SimulatedPlatform& p) {
             // A smaller laptop screen: more of the items fold under the chevron.
             p.desktop()->setScreens({platform::SimulatedScreen{core::Rect(0, 0, 1280, 800), 32, 200}});
         }},
        {"dark-appearance", [](platform::SimulatedPlatform&) {}},
        {"own-item-pixels", ownItemFromPixels},
    };
    return saveEach(states, folder, [](const State& state) {
        auto platform = std::make_shared<platform::SimulatedPlatform>();
        // A clock that stands still, so a pressed menu is open when it is drawn.
        std::chrono::nanoseconds now{1'000'000'000};
        platform->desktop()->setClock([&now] { return now; });
        state.arrange(*platform);
        now += std::chrono::seconds(1);
        platform->desktop()->passTime();
        demo::DesktopView view(platform);
        view.setDarkAppearance(std::string(state.name) == "dark-appearance");
        view.refresh();
        view.resize(view.sizeHint());
        return view.grab().toImage();
    });
}

int saveControls(const QString& folder) {
    using coordinator::PauseReason;
    using core::MenuBarState;
    const std::vector<ControlState> controls{
        {"control-collapsed-light", MenuBarState::collapsed, std::nullopt, false, false},
        {"control-revealed-light", MenuBarState::revealed, std::nullopt, false, false},
        {"control-paused-light", MenuBarState::paused, PauseReason::manual(), false, false},
        {"control-menu-light", MenuBarState::collapsed, std::nullopt, false, true},
        {"control-collapsed-dark", MenuBarState::collapsed, std::nullopt, true, false},
        {"control-revealed-dark", MenuBarState::revealed, std::nullopt, true, false},
        {"control-paused-dark", MenuBarState::paused, PauseReason::manual(), true, false},
        {"control-menu-dark", MenuBarState::collapsed, std::nullopt, true, true},
        {"control-menu-paused-light", MenuBarState::paused, PauseReason::optionKeyAtLaunch(), false, true},
    };
    return saveEach(controls, folder, renderControl);
}

int saveStandIns(const QString& folder) {
    using app::UserSwitcherLook;
    const std::vector<StandInState> standIns{
        {"stand-in-full-name-light", UserSwitcherLook::fullName, false, false},
        {"stand-in-account-name-light", UserSwitcherLook::accountName, false, false},
        {"stand-in-icon-light", UserSwitcherLook::icon, false, false},
        {"stand-in-icon-dark", UserSwitcherLook::icon, true, false},
        {"stand-in-fallback-menu-light", UserSwitcherLook::fullName, false, true},
    };
    return saveEach(standIns, folder, renderStandIn);
}

int saveGuides(const QString& folder) {
    const std::vector<GuideState> guides{
        {"permission-guide-waiting-light", std::nullopt, false},
        {"permission-guide-granted-light", true, false},
        {"permission-guide-waiting-dark", false, true},
        {"permission-guide-granted-dark", true, true},
    };
    return saveEach(guides, folder, renderGuide);
}

int savePanels(const QString& folder) {
    const std::vector<PanelState> panels{
        {"belowbar-3-light", 3, false}, {"belowbar-3-dark", 3, true},       {"belowbar-12-light", 12, false},
        {"belowbar-12-dark", 12, true}, {"belowbar-empty-light", 0, false},
    };
    return saveEach(panels, folder, renderPanel);
}

int saveSearches(const QString& folder) {
    const std::vector<SearchState> searches{
        {"search-all-light", "", false},      {"search-query-light", "ri", false},
        {"search-query-dark", "ri", true},    {"search-nomatch-light", "zzz", false},
        {"search-nomatch-dark", "zzz", true},
    };
    return saveEach(searches, folder, renderSearch);
}

// The help window's states, then the About window in both appearances.
int saveHelpAndAbout(const QString& folder) {
    using app::HelpTopic;
    const std::vector<HelpState> helps{
        {"help-top-ja-light", "ja", std::nullopt, false},
        {"help-top-ja-dark", "ja", std::nullopt, true},
        {"help-nothing-hidden-ja-light", "ja", HelpTopic::nothingHidden, false},
        {"help-nothing-hidden-ja-dark", "ja", HelpTopic::nothingHidden, true},
        {"help-top-en-light", "en", std::nullopt, false},
        {"help-top-en-dark", "en", std::nullopt, true},
        {"help-hotkeys-en-light", "en", HelpTopic::hotkeys, false},
        {"help-hotkeys-en-dark", "en", HelpTopic::hotkeys, true},
    };
    int failures = saveEach(helps, folder, renderHelp);
    failures += save(renderAbout(false), folder, "about-light") ? 0 : 1;
    failures += save(renderAbout(true), folder, "about-dark") ? 0 : 1;
    return failures;
}

// The feedback notice and the update check's verdicts, light then dark.
int saveNotices(const QString& folder) {
    using Status = core::UpdateCheck::Status;
    const std::vector<std::pair<std::string, Status>> verdicts{
        {"update-up-to-date", Status::upToDate("1.4.2")},
        {"update-available", Status::updateAvailable("1.5", "1.4.2")},
        {"update-no-answer", Status::unknown(true)},
        {"update-unreachable", Status::unknown(false)},
        {"update-own-version-unreadable", Status::ownVersionUnreadable()},
    };
    int failures = 0;
    for (const bool dark : {false, true}) {
        const std::string look = dark ? "-dark" : "-light";
        failures += save(renderFeedback(dark, false), folder, ("feedback" + look).c_str()) ? 0 : 1;
        failures += save(renderFeedback(dark, true), folder, ("feedback-copied" + look).c_str()) ? 0 : 1;
        for (const auto& [verdict, status] : verdicts) {
            failures += save(renderUpdate(dark, status), folder, (verdict + look).c_str()) ? 0 : 1;
        }
    }
    return failures;
}

int saveProfileBars(const QString& folder) {
    using Sheet = ProfileBarState::Sheet;
    const std::vector<ProfileBarState> profileBars{
        {"profile-bar-light", Sheet::none, false},
        {"profile-bar-dark", Sheet::none, true},
        {"profile-name-sheet-problem-light", Sheet::name, false},
        {"profile-name-sheet-problem-dark", Sheet::name, true},
        {"profile-delete-sheet-light", Sheet::remove, false},
        {"profile-delete-sheet-dark", Sheet::remove, true},
    };
    int failures = saveEach(profileBars, folder, renderProfileBar);
    for (const bool dark : {false, true}) {
        const std::string look = dark ? "-dark" : "-light";
        failures +=
            save(renderProfileBarAmpersand(dark, false), folder, ("profile-bar-ampersand" + look).c_str())
                ? 0
                : 1;
        failures +=
            save(renderProfileBarAmpersand(dark, true), folder, ("profile-bar-ampersand-menu" + look).c_str())
                ? 0
                : 1;
    }
    return failures;
}

int saveGeneralPages(const QString& folder) {
    using Login = system::LoginItemStatus;
    using core::MenuBarState;
    const std::vector<GeneralPageState> generalPages{
        {"general-login-enabled-light", Login::enabled, true, MenuBarState::collapsed, false},
        {"general-login-enabled-dark", Login::enabled, true, MenuBarState::collapsed, true},
        {"general-login-approval-light", Login::requiresApproval, true, MenuBarState::collapsed, false},
        {"general-login-approval-dark", Login::requiresApproval, true, MenuBarState::collapsed, true},
        {"general-login-off-outside-light", Login::notRegistered, false, MenuBarState::collapsed, false},
        {"general-login-off-outside-dark", Login::notRegistered, false, MenuBarState::collapsed, true},
        {"general-login-not-found-light", Login::notFound, true, MenuBarState::collapsed, false},
        {"general-login-not-found-dark", Login::notFound, true, MenuBarState::collapsed, true},
        {"general-paused-light", Login::notRegistered, true, MenuBarState::paused, false},
        {"general-paused-dark", Login::notRegistered, true, MenuBarState::paused, true},
    };
    return saveEach(generalPages, folder, renderGeneralPage);
}

int saveSectionsPages(const QString& folder) {
    using Extra = SectionsPageState::Extra;
    const std::vector<SectionsPageState> sectionsPages{
        {"sections-page-light", false, Extra::none, false},
        {"sections-page-dark", false, Extra::none, true},
        {"sections-page-empty-band-light", true, Extra::none, false},
        {"sections-page-empty-band-dark", true, Extra::none, true},
        {"sections-page-drag-over-row-light", false, Extra::hover, false},
        {"sections-page-drag-over-row-dark", false, Extra::hover, true},
        {"sections-page-move-menu-light", false, Extra::menu, false},
        {"sections-page-move-menu-dark", false, Extra::menu, true},
        {"sections-page-move-menu-last-row-light", false, Extra::lastRowMenu, false},
        {"sections-page-move-menu-last-row-dark", false, Extra::lastRowMenu, true},
    };
    return saveEach(sectionsPages, folder, renderSectionsPage);
}

int saveRulesPages(const QString& folder) {
    using RulesExtra = RulesPageState::Extra;
    const std::vector<RulesPageState> rulesPages{
        {"rules-page-empty-light", RulesExtra::empty, 640, false},
        {"rules-page-empty-dark", RulesExtra::empty, 640, true},
        {"rules-page-wide-light", RulesExtra::rules, 640, false},
        {"rules-page-wide-dark", RulesExtra::rules, 640, true},
        {"rules-page-buttons-below-light", RulesExtra::rules, 420, false},
        {"rules-page-buttons-below-dark", RulesExtra::rules, 420, true},
        {"rules-page-stacked-light", RulesExtra::rules, 300, false},
        {"rules-page-stacked-dark", RulesExtra::rules, 300, true},
        {"rules-add-sheet-light", RulesExtra::sheet, 640, false},
        {"rules-add-sheet-dark", RulesExtra::sheet, 640, true},
    };
    return saveEach(rulesPages, folder, renderRulesPage);
}

int saveSettingsWindows(const QString& folder) {
    int failures = 0;
    for (const bool dark : {false, true}) {
        for (const auto page : app::allSettingsPages) {
            const std::string name =
                "settings-window-" + std::string(app::rawValue(page)) + (dark ? "-dark" : "-light");
            failures += save(renderSettingsWindow(page, dark), folder, name.c_str()) ? 0 : 1;
        }
    }
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellacor-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    // Qt's own words as the program shows them in Japanese, its first language.
    if (!app::QtTranslations::use("ja")) {
        std::fprintf(stderr, "pellacor-screenshots: Qt's Japanese translations are not in %s\n",
                     app::QtTranslations::folder().c_str());
    }

    int failures = saveDesktopStates(folder);
    const QPalette original = QApplication::palette();
    for (const auto step :
         {saveControls, saveStandIns, saveGuides, savePanels, saveSearches, saveHelpAndAbout, saveNotices,
          saveProfileBars, saveGeneralPages, saveSectionsPages, saveRulesPages, saveSettingsWindows,
          // The program itself, run on the desktop.
          renderBelowBarClicks, renderSearchHotKey, renderLayoutFolderGrant, renderRuleApplicationPanel,
          renderCollapsedSections, renderFileDialogsInEnglish}) {
        failures += step(folder);
    }
    QApplication::setPalette(original);
    return failures == 0 ? 0 : 1;
}
