#include "Trayvane/StatusItem/UserSwitcherItem.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/StatusItem/SymbolImage.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"

#include <QAction>
#include <QMenu>

namespace pellacor::app {

using core::localized;

UserSwitcherItem::UserSwitcherItem(Defaults defaults, LookQuery look, PositionQuery realPosition,
                                   std::shared_ptr<platform::StatusBar> statusBar,
                                   std::shared_ptr<platform::UserAccount> account,
                                   StatusItemMenu::Runner runMenu,
                                   std::shared_ptr<platform::ProgramWindows> programWindows)
    : defaults_(std::move(defaults)), look_(std::move(look)), realPosition_(std::move(realPosition)),
      statusBar_(std::move(statusBar)), account_(std::move(account)), runMenu_(std::move(runMenu)),
      programWindows_(std::move(programWindows)), symbols_(SymbolImage::named),
      fallbackMenu_(std::make_unique<QMenu>()) {
    fallbackMenu_->setObjectName("trv-user-switcher-menu");
    fallbackMenu_->setFont(AppFont::nsBody());
}

UserSwitcherItem::~UserSwitcherItem() {
    if (statusItem_) {
        // The button may outlive this object on the bar; its clicks must not reach it.
        statusItem_->setAction(nullptr);
    }
}

void UserSwitcherItem::setShown(bool shown) {
    if (shown) {
        removeAfterFallback_ = false;
        showItem();
        return;
    }
    removeAfterFallback_ = isShowingFallback_;
    if (!isShowingFallback_) {
        removeItem();
    }
}

void UserSwitcherItem::showItem() {
    if (statusItem_ || !statusBar_) {
        return;
    }
    // The system places a new item where its autosave name's position says, so
    // the stand-in first appears where the real item sat. A position the
    // system already keeps for it is never replaced.
    const std::string key(positionKey);
    if (defaults_.preferences && !defaults_.preferences->copyValue(key, defaults_.domain)) {
        if (const auto position = realPosition_ ? realPosition_() : std::nullopt) {
            defaults_.preferences->setValue(key, platform::PropertyListValue::real(*position),
                                            defaults_.domain);
            defaults_.preferences->synchronize(defaults_.domain);
        }
    }
    auto item = statusBar_->statusItem(platform::StatusItem::variableLength);
    if (!item) {
        core::Log::app().error("利用者の切り替えの代わりのアイコンを置けませんでした");
        return;
    }
    item->setAutosaveName(std::string(autosaveName));
    item->setVisible(true);
    // The system's Windows menu, from which the button's window would be
    // excluded, has no counterpart here.
    paint(*item, look_ ? look_() : UserSwitcherLook(UserSwitcherLook::icon));
    item->setAccessibilityLabel(localized("ユーザを切り替える"));
    item->setAccessibilityIdentifier(std::string(identifier));
    item->setToolTip(localized("ユーザを切り替える（しまっている間の代わりのアイコン）"));
    item->setAction([this](const platform::StatusItem::ClickEvent&) { buttonPressed(); });
    statusItem_ = std::move(item);
    const auto window = statusItem_->buttonWindow();
    core::Log::app().info("利用者の切り替えの代わりのアイコンを置きました（窓 {}）",
                          window ? window->number : 0);
}

void UserSwitcherItem::removeItem() {
    if (!statusItem_) {
        return;
    }
    statusItem_->setAction(nullptr);
    if (statusBar_) {
        statusBar_->removeStatusItem(statusItem_);
    }
    statusItem_.reset();
    shownLook_.reset();
}

std::optional<platform::StatusItemImage> UserSwitcherItem::iconImage(const SymbolSource& symbols) {
    if (!symbols) {
        return std::nullopt;
    }
    for (const std::string_view name : {iconSymbol, fallbackIconSymbol}) {
        if (auto image = symbols(name)) {
            image->isTemplate = true;
            return image;
        }
    }
    return std::nullopt;
}

void UserSwitcherItem::paint(platform::StatusItem& button, UserSwitcherLook look) {
    shownLook_ = look;
    switch (look) {
    case UserSwitcherLook::fullName:
        button.setImage(std::nullopt);
        button.setTitle(account_ ? account_->fullUserName() : std::string());
        return;
    case UserSwitcherLook::accountName:
        button.setImage(std::nullopt);
        button.setTitle(account_ ? account_->userName() : std::string());
        return;
    case UserSwitcherLook::icon:
        button.setImage(iconImage(symbols_));
        button.setTitle({});
        return;
    }
}

void UserSwitcherItem::refreshLook() {
    if (!statusItem_) {
        return;
    }
    const UserSwitcherLook look = look_ ? look_() : UserSwitcherLook(UserSwitcherLook::icon);
    if (shownLook_ && *shownLook_ == look) {
        return;
    }
    paint(*statusItem_, look);
    core::Log::app().info("利用者の切り替えの代わりのアイコンの見た目を決め直しました（{}）",
                          look == UserSwitcherLook::icon ? "人の形" : "名前");
}

void UserSwitcherItem::buttonPressed() {
    core::Log::app().info("利用者の切り替えの代わりのアイコンが押されました");
    if (onPress) {
        onPress();
    }
}

void UserSwitcherItem::showFallbackMenu() {
    if (!statusItem_) {
        return;
    }
    fallbackMenu_->clear();
    QAction* notice =
        fallbackMenu_->addAction(qtText(localized("利用者の切り替えのメニューを開けませんでした")));
    notice->setEnabled(false);
    if (userSwitchAvailable) {
        QAction* command =
            fallbackMenu_->addAction(qtText(localized("ユーザを切り替える（ファストユーザスイッチ）…")));
        QObject::connect(command, &QAction::triggered, command, [this] { switchUserPressed(); });
    }
    core::Log::app().info("利用者の切り替えの代わりのアイコンで、予備のメニューを開きます");
    // The item stays alive for the menu even if it is taken off meanwhile.
    const auto item = statusItem_;
    isShowingFallback_ = true;
    StatusItemMenu::open(*item, *fallbackMenu_, runMenu_, programWindows_.get());
    isShowingFallback_ = false;
    if (removeAfterFallback_) {
        removeAfterFallback_ = false;
        removeItem();
    }
}

void UserSwitcherItem::switchUserPressed() {
    core::Log::app().info("予備のメニューで利用者の切り替えが押されました");
    if (onSwitchUser) {
        onSwitchUser();
    }
}

} // namespace pellacor::app
