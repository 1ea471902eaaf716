#pragma once

#include "Platform/PreferencesDomain.h"
#include "Platform/ProgramWindows.h"
#include "Platform/StatusBar.h"
#include "Platform/UserAccount.h"
#include "Trayvane/StatusItem/StatusItemMenu.h"
#include "Trayvane/StatusItem/UserSwitcherLook.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QMenu;

namespace pellacor::app {

// The stand-in for the system's user-switching item while the menu bar is
// restricted: a status item of the program that looks like the real one and,
// clicked, reports the press; when pressing the real item did not open its
// menu, a small fallback menu offers the switch-user command. Whether it is
// shown and what a click does are decided by whoever wires it. The object
// lives for the whole run; only its status item comes and goes. Main thread only.
class UserSwitcherItem {
public:
    using LookQuery = std::function<UserSwitcherLook()>;
    using PositionQuery = std::function<std::optional<double>()>;
    // A system symbol by name; nothing when the system lacks it.
    using SymbolSource = std::function<std::optional<platform::StatusItemImage>(std::string_view)>;

    // The user defaults the position seed goes to: a preference domain and its name.
    struct Defaults {
        std::shared_ptr<platform::PreferencesDomain> preferences;
        std::string domain;
    };

    static constexpr std::string_view autosaveName = "UserSwitcherStandIn";
    // Where the system keeps the position of the item under its autosave name.
    static constexpr std::string_view positionKey = "NSStatusItem Preferred Position UserSwitcherStandIn";
    static constexpr std::string_view identifier = "trv-user-switcher";
    // The icon look's symbol, and the one used where the system lacks it.
    static constexpr std::string_view iconSymbol = "person.crop.circle.dashed";
    static constexpr std::string_view fallbackIconSymbol = "person.crop.circle";

    // `look` is the look to use now; `realPosition` the saved position of the
    // system's real item, when known.
    UserSwitcherItem(Defaults defaults, LookQuery look, PositionQuery realPosition,
                     std::shared_ptr<platform::StatusBar> statusBar,
                     std::shared_ptr<platform::UserAccount> account, StatusItemMenu::Runner runMenu = {},
                     std::shared_ptr<platform::ProgramWindows> programWindows = {});
    ~UserSwitcherItem();
    UserSwitcherItem(const UserSwitcherItem&) = delete;
    UserSwitcherItem& operator=(const UserSwitcherItem&) = delete;

    // A click on the stand-in.
    std::function<void()> onPress;
    // The fallback menu's switch-user command.
    std::function<void()> onSwitchUser;
    // Whether the fallback menu offers the switch-user command.
    bool userSwitchAvailable = false;

    // Shows or hides the stand-in. Hiding while the fallback menu is open
    // waits until it closes; showing again meanwhile cancels that.
    void setShown(bool shown);
    // Repaints when the wanted look differs from the one painted.
    void refreshLook();
    // Opens the fallback menu under the stand-in and returns once it closed.
    void showFallbackMenu();

    // The icon look's image: the stand-in's symbol, the plainer one where the
    // system lacks it, or nothing.
    static std::optional<platform::StatusItemImage> iconImage(const SymbolSource& symbols);

    // The status item while shown.
    const std::shared_ptr<platform::StatusItem>& statusItem() const { return statusItem_; }
    bool isShowingFallback() const { return isShowingFallback_; }
    bool removeAfterFallback() const { return removeAfterFallback_; }
    // The look last painted; nothing while no item exists.
    std::optional<UserSwitcherLook> shownLook() const { return shownLook_; }
    QMenu& fallbackMenu() { return *fallbackMenu_; }
    // Where the icon look takes its symbols; the bundled ones unless replaced.
    void setSymbolSource(SymbolSource symbols) { symbols_ = std::move(symbols); }

    // The button's action: every click, left or right, with any modifiers.
    void buttonPressed();
    // The fallback menu's switch-user command.
    void switchUserPressed();

private:
    void showItem();
    void removeItem();
    void paint(platform::StatusItem& button, UserSwitcherLook look);

    Defaults defaults_;
    LookQuery look_;
    PositionQuery realPosition_;
    std::shared_ptr<platform::StatusBar> statusBar_;
    std::shared_ptr<platform::UserAccount> account_;
    StatusItemMenu::Runner runMenu_;
    std::shared_ptr<platform::ProgramWindows> programWindows_;
    SymbolSource symbols_;
    std::shared_ptr<platform::StatusItem> statusItem_;
    bool isShowingFallback_ = false;
    bool removeAfterFallback_ = false;
    std::unique_ptr<QMenu> fallbackMenu_;
    std::optional<UserSwitcherLook> shownLook_;
};

} // namespace pellacor::app
