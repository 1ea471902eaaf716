// Renders the named states of the demo desktop to PNG files, one per state,
// for a person to look at: pellacor-screenshots OUTPUT-FOLDER.
#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/DesktopView.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Panels/SearchPanel.h"
#include "Trayvane/Panels/SearchWindow.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Settings/IconStore.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
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

QPalette appearancePalette(bool dark) {
    QPalette palette = QApplication::style()->standardPalette();
    if (!dark) {
        return palette;
    }
    const QColor window(0x2B, 0x2B, 0x2E);
    const QColor text(0xEE, 0xEE, 0xEE);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x2F, 0x6F, 0xD0));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return palette;
}

QImage renderControl(const ControlState& shot) {
    QApplication::setPalette(appearancePalette(shot.dark));
    auto platform = std::make_shared<platform::SimulatedPlatform>();
    demo::DesktopView view(platform);
    view.setDarkAppearance(shot.dark);
    QImage menuImage;
    QPointF menuAt;
    app::ControlItem item(platform->statusBar(), platform->input(),
                          [&](QMenu& menu, const core::Rect& frame) {
                              // Drawn where the program would open it: below the item.
                              const auto first = platform->desktop()->screens().front().frame.standardized();
                              const auto topDown = core::convertScreenSpace(frame, first);
                              menuAt = view.viewPoint({topDown.minX(), topDown.maxY()});
                              menu.ensurePolished();
                              menu.resize(menu.sizeHint());
                              menuImage = menu.grab().toImage();
                          });
    item.userSwitchAvailable = true;
    item.profileChoices = [] {
        return std::vector<app::ProfileChoice>{{core::Uuid::random(), "仕事", true},
                                               {core::Uuid::random(), "家", false}};
    };
    item.show(shot.state, shot.reason);
    if (shot.menuOpen) {
        item.buttonPressed(
            platform::StatusItem::ClickEvent{platform::StatusItem::ClickEvent::Kind::rightMouseUp, 0});
    }
    view.refresh();
    view.resize(view.sizeHint());
    QImage image = view.grab().toImage();
    if (!menuImage.isNull()) {
        QPainter painter(&image);
        // Keep the whole menu on the screen, as the system would.
        const double x =
            std::min(menuAt.x(), image.width() - menuImage.width() / menuImage.devicePixelRatio());
        painter.drawImage(QPointF(x, menuAt.y()), menuImage);
    }
    constexpr int width = 720;
    constexpr int height = 460;
    return image.copy(image.width() - width, 0, width, height);
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
        QApplication::setPalette(appearancePalette(dark));
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

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellacor-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

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
    int failures = 0;
    for (const auto& state : states) {
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
        const QString file = folder + "/" + state.name + ".png";
        if (!view.grab().save(file)) {
            std::fprintf(stderr, "pellacor-screenshots: cannot write %s\n", file.toLocal8Bit().constData());
            ++failures;
        } else {
            std::printf("%s\n", file.toLocal8Bit().constData());
        }
    }
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
    const QPalette original = QApplication::palette();
    const auto save = [&folder, &failures](const QImage& image, const char* name) {
        const QString file = folder + "/" + name + ".png";
        if (!image.save(file)) {
            std::fprintf(stderr, "pellacor-screenshots: cannot write %s\n", file.toLocal8Bit().constData());
            ++failures;
        } else {
            std::printf("%s\n", file.toLocal8Bit().constData());
        }
    };
    for (const auto& shot : controls) {
        save(renderControl(shot), shot.name);
    }
    const std::vector<PanelState> panels{
        {"belowbar-3-light", 3, false}, {"belowbar-3-dark", 3, true},       {"belowbar-12-light", 12, false},
        {"belowbar-12-dark", 12, true}, {"belowbar-empty-light", 0, false},
    };
    for (const auto& shot : panels) {
        save(renderPanel(shot), shot.name);
    }
    const std::vector<SearchState> searches{
        {"search-all-light", "", false},      {"search-query-light", "ri", false},
        {"search-query-dark", "ri", true},    {"search-nomatch-light", "zzz", false},
        {"search-nomatch-dark", "zzz", true},
    };
    for (const auto& shot : searches) {
        save(renderSearch(shot), shot.name);
    }
    QApplication::setPalette(original);
    return failures == 0 ? 0 : 1;
}
