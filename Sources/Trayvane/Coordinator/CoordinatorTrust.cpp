#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

using core::MenuBarState;

namespace {

// Two ticks in a row must see the control item off the bar before hiding stops.
constexpr int offBarTicksToPause = 2;
// Fresh start attempts a trusted process gets while it still waits for the permission.
constexpr int grantRetries = 3;

} // namespace

void Coordinator::startTrustChecks() {
    if (!trust || !trustCheckInterval || trustTask) {
        return;
    }
    trustTask = concurrency::spawn(executor, trustLoop(weak_from_this(), *trustCheckInterval));
}

concurrency::Task<void> Coordinator::trustLoop(std::weak_ptr<Coordinator> weak, Duration interval) {
    while (true) {
        concurrency::Sleep sleep;
        {
            auto self = weak.lock();
            if (isGoneOrStopped(self)) {
                co_return;
            }
            self->checkPermission();
            self->checkOwnItemOnBar();
            sleep = self->sleep;
        }
        co_await sleep(interval);
    }
}

bool Coordinator::refreshTrust() {
    const bool trusted = trust->isTrusted();
    if (trusted && accessibilityTrusted != true) {
        grantRetriesLeft = grantRetries;
    }
    if (accessibilityTrusted != trusted) {
        accessibilityTrusted = trusted;
        if (onTrustChange) {
            onTrustChange(trusted);
        }
    }
    return trusted;
}

void Coordinator::checkPermission() {
    if (isShutDown || !trust) {
        return;
    }
    const bool trusted = refreshTrust();
    if (!trusted) {
        if (isShowingState(base)) {
            core::Log::app().error("アクセシビリティの許可が外れました。何も隠しません");
            setBase(MenuBarState::needsPermission, std::nullopt);
        }
        return;
    }
    if (base == MenuBarState::needsPermission && grantRetriesLeft > 0) {
        --grantRetriesLeft;
        core::Log::app().notice("アクセシビリティの許可が付いています。点検からやり直します");
        if (!isShutDown && base == MenuBarState::needsPermission) {
            beginStarting();
        }
    }
}

bool Coordinator::knownUntrusted() {
    if (!trust) {
        return false;
    }
    return !refreshTrust();
}

void Coordinator::checkOwnItemOnBar() {
    if (isShutDown || !ownItemOnBar) {
        return;
    }
    const std::optional<bool> onBar = ownItemOnBar();
    if (!onBar) {
        return;
    }
    if (*onBar) {
        offBarStreak = 0;
        if (base == MenuBarState::paused && pauseReason == PauseReason::controlRemoved()) {
            core::Log::app().notice("操作口がメニューバーに戻りました。点検からやり直します");
            beginStarting();
        }
        return;
    }
    if (!isShowingState(base)) {
        offBarStreak = 0;
        return;
    }
    if (++offBarStreak < offBarTicksToPause) {
        return;
    }
    offBarStreak = 0;
    core::Log::app().error("操作口がメニューバーから外されました（システム設定の「メニューバーに追加すること"
                           "を許可」が切かもしれません）。"
                           "何も隠しません");
    setBase(MenuBarState::paused, PauseReason::controlRemoved());
}

} // namespace pellacor::coordinator
