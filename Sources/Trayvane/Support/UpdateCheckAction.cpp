#include "Trayvane/Support/UpdateCheckAction.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Support/NoticeModel.h"

#include <utility>

namespace pellacor::app {

using core::UpdateCheck;

std::shared_ptr<UpdateCheckAction> UpdateCheckAction::create(Services services) {
    return std::shared_ptr<UpdateCheckAction>(new UpdateCheckAction(std::move(services)));
}

UpdateCheckAction::UpdateCheckAction(Services services)
    : services_(std::move(services)), window_("updateCheck", services_.window) {}

std::string_view UpdateCheckAction::logLabel(const UpdateCheck::Status& status) {
    switch (status.kind) {
    case UpdateCheck::Status::Kind::upToDate:
        return "最新";
    case UpdateCheck::Status::Kind::updateAvailable:
        return "新しいバージョンあり";
    case UpdateCheck::Status::Kind::unknown:
        return status.reachable ? "答えが無い" : "届かない";
    case UpdateCheck::Status::Kind::ownVersionUnreadable:
        return "自分のバージョンが読めない";
    }
    return "届かない";
}

void UpdateCheckAction::run() {
    if (isChecking_ || !services_.executor) {
        return;
    }
    isChecking_ = true;
    core::Log::app().info("アップデートを確認します");
    task_ = concurrency::spawn(*services_.executor, check(weak_from_this(), services_.fetch), "update-check");
}

concurrency::Task<void>
UpdateCheckAction::check(std::weak_ptr<UpdateCheckAction> weak,
                         std::function<concurrency::Task<UpdateCheck::FetchOutcome>()> fetch) {
    UpdateCheck::FetchOutcome outcome = UpdateCheck::FetchOutcome::noAnswer();
    if (fetch) {
        outcome = co_await fetch();
    }
    const auto self = weak.lock();
    if (!self) {
        co_return;
    }
    self->isChecking_ = false;
    const auto current =
        self->services_.currentVersion ? self->services_.currentVersion() : std::optional<std::string>();
    const auto status = UpdateCheck::decide(outcome, current);
    core::Log::app().info("アップデートの確認：{}", logLabel(status));
    self->prepare(status);
    if (self->presentsWindow) {
        self->window_.show();
    }
}

void UpdateCheckAction::prepare(const UpdateCheck::Status& status) {
    auto& model = window_.model();
    model.setTitle(UpdateCheck::title(status));
    model.setMessage(UpdateCheck::message(status));
    model.setDetails({});
    model.setNote(std::nullopt);
    const std::weak_ptr<UpdateCheckAction> weak = weak_from_this();
    const auto closes = whileAlive(weak, [](UpdateCheckAction& self) { self.window_.close(); });
    switch (status.kind) {
    case UpdateCheck::Status::Kind::upToDate:
    case UpdateCheck::Status::Kind::unknown:
        model.setButtons(
            {NoticeButton{.title = "OK", .prominent = true, .identifier = "update:ok", .action = closes}});
        break;
    case UpdateCheck::Status::Kind::updateAvailable:
    case UpdateCheck::Status::Kind::ownVersionUnreadable:
        model.setButtons({
            NoticeButton{.title = core::localized("あとで"),
                         .isCancel = true,
                         .identifier = "update:later",
                         .action = closes},
            NoticeButton{.title = core::localized("ダウンロードのページを開く"),
                         .prominent = true,
                         .identifier = "update:open",
                         .action =
                             whileAlive(weak, [](UpdateCheckAction& self) { self.openDownloadPage(); })},
        });
        break;
    }
}

void UpdateCheckAction::openDownloadPage() {
    const std::string page = UpdateCheck::downloadPageURL(services_.language);
    const bool opened = services_.openURL && services_.openURL(page);
    if (opened) {
        window_.close();
        return;
    }
    core::Log::app().error("ダウンロードのページを開けませんでした");
    window_.model().setNote(core::localized(
        "ブラウザを開けませんでした。ブラウザのアドレスバーに %@ を入れて開いてください。", {page}));
}

} // namespace pellacor::app
