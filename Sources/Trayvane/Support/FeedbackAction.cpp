#include "Trayvane/Support/FeedbackAction.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Support/NoticeModel.h"

#include <utility>

namespace pellacor::app {

using core::FeedbackReport;

std::shared_ptr<FeedbackAction> FeedbackAction::create(NoticeWindowController::Services windowServices,
                                                       OpenURL openURL, CopyText copyText) {
    return std::shared_ptr<FeedbackAction>(
        new FeedbackAction(std::move(windowServices), std::move(openURL), std::move(copyText)));
}

FeedbackAction::FeedbackAction(NoticeWindowController::Services windowServices, OpenURL openURL,
                               CopyText copyText)
    : window_("feedback", std::move(windowServices)), openURL_(std::move(openURL)),
      copyText_(std::move(copyText)) {}

void FeedbackAction::show(const FeedbackReport::Environment& environment) {
    core::Log::app().info("「ご意見・不具合を送る」の窓を出します");
    prepare(environment);
    window_.show();
}

void FeedbackAction::prepare(const FeedbackReport::Environment& environment) {
    auto& model = window_.model();
    model.setTitle(core::localized("ご意見・不具合を送る"));
    model.setMessage(
        core::localized("メールの下書きを開きます。送る前に中身を読んで、消したり書き足したりできます。"
                        "このアプリが自分で送ることはありません。"));
    model.setDetails({
        {core::localized("宛先"), std::string(FeedbackReport::recipient)},
        {core::localized("下書きに入れるもの"), FeedbackReport::includedSummary()},
        {core::localized("入れないもの"), FeedbackReport::excludedSummary()},
    });
    model.setNote(std::nullopt);
    const std::weak_ptr<FeedbackAction> weak = weak_from_this();
    model.setButtons({
        NoticeButton{.title = core::localized("閉じる"),
                     .isCancel = true,
                     .identifier = "feedback:close",
                     .action = whileAlive(weak, [](FeedbackAction& self) { self.window_.close(); })},
        NoticeButton{.title = core::localized("送る内容をコピー"),
                     .identifier = "feedback:copy",
                     .action =
                         whileAlive(weak, [environment](FeedbackAction& self) { self.copy(environment); })},
        NoticeButton{
            .title = core::localized("メールの下書きを開く"),
            .prominent = true,
            .identifier = "feedback:mail",
            .action = whileAlive(weak, [environment](FeedbackAction& self) { self.openMail(environment); })},
    });
}

void FeedbackAction::copy(const FeedbackReport::Environment& environment) {
    if (copyText_) {
        copyText_(FeedbackReport::clipboardText(environment));
    }
    core::Log::app().info("ご意見の送る内容をコピーしました");
    window_.model().setNote(core::localized("コピーしました（前にコピーしていたものは置き換わりました）。メー"
                                            "ルに貼り付けて、%@ 宛にお送りください。",
                                            {FeedbackReport::recipient}));
}

void FeedbackAction::openMail(const FeedbackReport::Environment& environment) {
    const auto url = FeedbackReport::mailtoURL(environment);
    if (!url) {
        core::Log::app().error("ご意見のメールの下書きを作れませんでした");
        window_.model().setNote(core::localized(
            "メールの下書きを作れませんでした。「送る内容をコピー」を押して、メールに貼り付けてください。"));
        return;
    }
    const bool opened = openURL_ && openURL_(*url);
    core::Log::app().info("ご意見のメールの下書きを開きました（{}）", opened ? "開けた" : "開けなかった");
    window_.model().setNote(
        opened ? core::localized("メールの下書きを開きました。開かないときは「送る内容をコピー」を押して、"
                                 "ブラウザのメール（Gmail など）に貼り付けてください。")
               : core::localized("メールのアプリを開けませんでした。「送る内容をコピー」を押して、"
                                 "ブラウザのメール（Gmail など）から %@ 宛にお送りください。",
                                 {FeedbackReport::recipient}));
}

} // namespace pellacor::app
