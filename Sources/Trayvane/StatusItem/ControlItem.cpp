#include "Trayvane/StatusItem/ControlItem.h"

#include "MenuBarCore/Planning/DragSorting.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/StatusItem/ControlClick.h"
#include "Trayvane/StatusItem/ControlMenuView.h"
#include "Trayvane/StatusItem/StatusItemMenu.h"
#include "Trayvane/StatusItem/SymbolImage.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/BroomIcon.h"

#include <QCoreApplication>
#include <QMenu>

namespace pellacor::app {

using coordinator::PauseReason;
using core::localized;
using core::MenuBarState;

namespace {

void call(const std::function<void()>& callback) {
    if (callback) {
        callback();
    }
}

} // namespace

ControlItem::ControlItem(std::shared_ptr<platform::StatusBar> statusBar,
                         std::shared_ptr<platform::InputState> input, MenuRunner runMenu,
                         std::shared_ptr<platform::ProgramWindows> programWindows)
    : statusBar_(std::move(statusBar)), input_(std::move(input)),
      runMenu_(runMenu ? std::move(runMenu) : MenuRunner(StatusItemMenu::runOnPrimaryScreen)),
      programWindows_(std::move(programWindows)), menu_(std::make_unique<QMenu>()) {
    terminate = [] { QCoreApplication::quit(); };
    if (statusBar_) {
        statusItem_ = statusBar_->statusItem(platform::StatusItem::squareLength);
    }
    if (statusItem_) {
        statusItem_->setAccessibilityLabel("Pellacor");
        statusItem_->setAccessibilityIdentifier(std::string(core::DragSorting::dividerIdentifier));
        statusItem_->setAction(
            [this](const platform::StatusItem::ClickEvent& event) { buttonPressed(event); });
    }
    menu_->setObjectName("trv-control-menu");
    menu_->setFont(AppFont::nsBody());
    show(MenuBarState::starting, std::nullopt);
    const auto window = statusItem_ ? statusItem_->buttonWindow() : std::nullopt;
    if (window) {
        core::Log::app().info("操作口を置きました（窓 {}・位置 {}）", window->number,
                              window->frame.description());
    } else {
        core::Log::app().error("操作口の窓がありません");
    }
}

ControlItem::~ControlItem() {
    if (statusItem_) {
        // The button outlives this object on the bar; its clicks must not reach it.
        statusItem_->setAction(nullptr);
    }
}

std::string ControlItem::problemText(const system::HealthProblem& problem) {
    using Kind = system::HealthProblem::Kind;
    switch (problem.kind()) {
    case Kind::cannotRead:
        return localized("アイコンを読めません");
    case Kind::readTimedOut:
        return localized("アイコンを読むのに時間がかかりすぎました");
    case Kind::noItems:
        return localized("アイコンが1つも読めません");
    case Kind::ownItemMissing:
        return localized("自分の操作口が見つかりません");
    case Kind::hidingComponentMissing:
        return localized("隠す仕組みが macOS に見つかりません");
    case Kind::notInApplicationsFolder:
        return localized("アプリケーションフォルダに入れてください");
    case Kind::hidingDidNotTakeEffect:
        return localized("隠す指示が効きませんでした");
    }
    return localized("アイコンを読めません");
}

std::string ControlItem::stateText(MenuBarState state, const std::optional<PauseReason>& reason) {
    using Kind = PauseReason::Kind;
    switch (state) {
    case MenuBarState::starting:
        return localized("起動しています");
    case MenuBarState::needsPermission:
        return localized("アクセシビリティの許可を待っているので、何も隠していません");
    case MenuBarState::paused:
        break;
    case MenuBarState::collapsed:
        return localized("アイコンをしまっています");
    case MenuBarState::revealed:
        return localized("隠したアイコンを出しています");
    case MenuBarState::revealedAll:
        return localized("「いつも隠す」も全部出しています");
    case MenuBarState::privacyOverride:
        return localized("カメラを使用中なので、全部見せています");
    }
    if (!reason) {
        return localized("一時停止中（全部見せています）");
    }
    switch (reason->kind()) {
    case Kind::manual:
        return localized("一時停止中（全部見せています）");
    case Kind::optionKeyAtLaunch:
        return localized("⇧ か ⌥ を押して起動したので、一時停止中です");
    case Kind::osVersionChanged:
        return localized("macOS が新しくなったので、念のため一時停止中です。下の「再開」を選んでください");
    case Kind::controlRemoved:
        return localized("⚠ 一時停止中：メニューバーへの表示が切られています");
    case Kind::healthProblems:
        break;
    }
    std::string text = localized("⚠ 一時停止中：");
    const std::string separator = localized("・");
    bool first = true;
    for (const auto& problem : reason->problems()) {
        if (!first) {
            text += separator;
        }
        text += problemText(problem);
        first = false;
    }
    return text;
}

std::string_view ControlItem::iconName(MenuBarState state, const std::optional<PauseReason>& reason) {
    switch (state) {
    case MenuBarState::starting:
    case MenuBarState::collapsed:
        return "broom";
    case MenuBarState::revealed:
    case MenuBarState::revealedAll:
        return "broom.circle";
    case MenuBarState::needsPermission:
        return "exclamationmark.triangle";
    case MenuBarState::privacyOverride:
        return "video.circle";
    case MenuBarState::paused:
        break;
    }
    if (reason && (reason->kind() == PauseReason::Kind::controlRemoved ||
                   reason->kind() == PauseReason::Kind::healthProblems)) {
        return "exclamationmark.triangle";
    }
    return "pause.circle";
}

std::optional<platform::StatusItemImage> ControlItem::image(MenuBarState state,
                                                            const std::optional<PauseReason>& reason) {
    const std::string_view name = iconName(state, reason);
    if (name == "broom") {
        return BroomIcon::image(false);
    }
    if (name == "broom.circle") {
        return BroomIcon::image(true);
    }
    return SymbolImage::named(name);
}

void ControlItem::show(MenuBarState state, std::optional<PauseReason> reason) {
    state_ = state;
    pauseReason_ = std::move(reason);
    if (!statusItem_) {
        return;
    }
    statusItem_->setImage(image(state_, pauseReason_));
    statusItem_->setToolTip(localized("Pellacor：") + stateText(state_, pauseReason_));
}

std::optional<core::Rect> ControlItem::buttonFrame() const {
    const auto window = statusItem_ ? statusItem_->buttonWindow() : std::nullopt;
    return window ? std::optional<core::Rect>(window->frame) : std::nullopt;
}

std::optional<bool> ControlItem::isShownInMenuBar() {
    if (!statusItem_ || !statusItem_->buttonWindow()) {
        return std::nullopt;
    }
    const int count = statusItem_->replicaWindowCount();
    if (lastReplicaCount_ != count) {
        core::Log::app().notice("メニューバーの写しの窓：{} 個", count);
        lastReplicaCount_ = count;
    }
    if (count >= 1) {
        sawReplicas_ = true;
        return true;
    }
    return sawReplicas_ ? std::optional<bool>(false) : std::nullopt;
}

void ControlItem::buttonPressed(const std::optional<platform::StatusItem::ClickEvent>& event) {
    const std::uint64_t keyboard = input_ ? input_->modifierFlags() : 0;
    const ControlClick click = ControlClick::decide(event, keyboard, state_);
    switch (click.kind) {
    case ControlClick::Kind::openPermissionGuide:
        call(onOpenPermissionGuide);
        return;
    case ControlClick::Kind::openMenu:
        openMenu();
        return;
    case ControlClick::Kind::toggle:
        if (onToggle) {
            onToggle(click.withAll);
        }
        return;
    }
}

std::vector<ControlMenuEntry> ControlItem::menuModel() const {
    ControlMenu::Facts facts;
    facts.state = state_;
    facts.pauseReason = pauseReason_;
    facts.hotkeyNote = hotkeyNote;
    facts.userSwitchAvailable = userSwitchAvailable;
    if (profileChoices) {
        facts.profiles = profileChoices();
    }
    facts.profileIsAutomatic = profileIsAutomatic && profileIsAutomatic();
    facts.isCheckingForUpdate = isCheckingForUpdate && isCheckingForUpdate();
    auto entries = ControlMenu::build(facts);
    withoutUnhandled(entries);
    return entries;
}

bool ControlItem::handles(ControlAction action) const {
    switch (action) {
    case ControlAction::none:
        return false;
    case ControlAction::revealAll:
        return static_cast<bool>(onToggle);
    case ControlAction::pause:
        return static_cast<bool>(onPause);
    case ControlAction::resume:
        return static_cast<bool>(onResume);
    case ControlAction::permissionGuide:
        return static_cast<bool>(onOpenPermissionGuide);
    case ControlAction::switchUser:
        return static_cast<bool>(onSwitchUser);
    case ControlAction::settings:
        return static_cast<bool>(onOpenSettings);
    case ControlAction::help:
    case ControlAction::notice:
        return static_cast<bool>(onOpenHelp);
    case ControlAction::about:
        return static_cast<bool>(onOpenAbout);
    case ControlAction::feedback:
        return static_cast<bool>(onSendFeedback);
    case ControlAction::update:
        return static_cast<bool>(onCheckForUpdate);
    case ControlAction::profile:
        return static_cast<bool>(onSwitchProfile);
    case ControlAction::manageProfiles:
        return static_cast<bool>(onManageProfiles);
    case ControlAction::quit:
        return static_cast<bool>(terminate);
    }
    return false;
}

void ControlItem::withoutUnhandled(std::vector<ControlMenuEntry>& entries) const {
    for (auto& entry : entries) {
        // An entry nobody acts on stays in the menu, greyed, so that its text still reads.
        if (!handles(entry.action)) {
            entry.action = ControlAction::none;
        }
        withoutUnhandled(entry.submenu);
    }
}

void ControlItem::openMenu() {
    core::Log::app().info("操作口のメニューを開きます");
    ControlMenuView::populate(*menu_, menuModel(), [this](const ControlMenuEntry& entry) { choose(entry); });
    if (!statusItem_) {
        return;
    }
    StatusItemMenu::open(*statusItem_, *menu_, runMenu_, programWindows_.get());
}

void ControlItem::choose(const ControlMenuEntry& entry) {
    switch (entry.action) {
    case ControlAction::none:
        return;
    case ControlAction::revealAll:
        // The state may have moved on while the menu was open.
        if (state_ == MenuBarState::collapsed && onToggle) {
            onToggle(true);
        }
        return;
    case ControlAction::pause:
        call(onPause);
        return;
    case ControlAction::resume:
        call(onResume);
        return;
    case ControlAction::permissionGuide:
        call(onOpenPermissionGuide);
        return;
    case ControlAction::switchUser:
        core::Log::app().info("操作口のメニューで利用者の切り替えが押されました");
        call(onSwitchUser);
        return;
    case ControlAction::settings:
        core::Log::app().info("「設定…」が押されました");
        call(onOpenSettings);
        return;
    case ControlAction::help:
        if (onOpenHelp) {
            onOpenHelp(std::nullopt);
        }
        return;
    case ControlAction::notice:
        if (onOpenHelp) {
            onOpenHelp(entry.topic);
        }
        return;
    case ControlAction::about:
        call(onOpenAbout);
        return;
    case ControlAction::feedback:
        call(onSendFeedback);
        return;
    case ControlAction::update:
        call(onCheckForUpdate);
        return;
    case ControlAction::profile:
        if (entry.profileID && onSwitchProfile) {
            onSwitchProfile(*entry.profileID);
        }
        return;
    case ControlAction::manageProfiles:
        call(onManageProfiles);
        return;
    case ControlAction::quit:
        call(terminate);
        return;
    }
}

} // namespace pellacor::app
