#include "Trayvane/MainMenu/MainMenu.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Support/SupportMenuTitle.h"

namespace pellacor::app {

namespace {

MainMenu::Item item(std::string_view title, std::string action, std::string key = {},
                    std::uint64_t mask = MainMenu::commandMask) {
    return MainMenu::Item{core::localized(title), std::move(action), std::move(key), mask};
}

MainMenu::Item separator() {
    return MainMenu::Item{{}, {}, {}, 0};
}

} // namespace

MainMenu::Menu MainMenu::make() {
    Menu menu;
    menu.submenus = {
        Submenu{{},
                {item("Pellacor について", "openAbout:"), separator(), item("設定…", "openSettings:", ","),
                 separator(), item("Pellacor を終了", "terminate:", "q")}},
        Submenu{core::localized("編集"),
                {item("取り消す", "undo:", "z"), item("やり直す", "redo:", "z", shiftMask | commandMask),
                 separator(), item("カット", "cut:", "x"), item("コピー", "copy:", "c"),
                 item("ペースト", "paste:", "v"), item("すべてを選択", "selectAll:", "a")}},
        Submenu{core::localized("ウインドウ"), {item("閉じる", "performClose:", "w")}},
        Submenu{core::localized("ヘルプ"),
                {item("Pellacor のヘルプ", "openHelp:", "?"), separator(),
                 Item{SupportMenuTitle::feedback(), "sendFeedback:", {}, commandMask},
                 Item{SupportMenuTitle::update(), "checkForUpdate:", {}, commandMask}}},
    };
    menu.helpMenu = 3;
    return menu;
}

std::optional<MainMenu::Target> MainMenu::target(std::string_view action) {
    for (std::string_view editing : {"undo:", "redo:", "cut:", "copy:", "paste:", "selectAll:"}) {
        if (action == editing) {
            return Target::focusedView;
        }
    }
    if (action == "performClose:") {
        return Target::window;
    }
    if (action == "terminate:") {
        return Target::application;
    }
    for (std::string_view own :
         {"openAbout:", "openSettings:", "openHelp:", "sendFeedback:", "checkForUpdate:"}) {
        if (action == own) {
            return Target::delegate;
        }
    }
    return std::nullopt;
}

std::string MainMenu::methodName(std::string_view action) {
    if (action.ends_with(':')) {
        action.remove_suffix(1);
    }
    return std::string(action);
}

} // namespace pellacor::app
