#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Promise.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Support/FeedbackReport.h"
#include "Support/LogCapture.h"
#include "Trayvane/Support/FeedbackAction.h"
#include "Trayvane/Support/NoticeModel.h"
#include "Trayvane/Support/UpdateCheckAction.h"

#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::FeedbackAction;
using app::NoticeButton;
using app::UpdateCheckAction;
using core::FeedbackReport;
using core::UpdateCheck;
using Outcome = UpdateCheck::FetchOutcome;

namespace {

struct ButtonFacts {
    std::string title;
    bool prominent;
    bool isCancel;
    std::string identifier;
    bool operator==(const ButtonFacts&) const = default;
};

std::vector<ButtonFacts> facts(const std::vector<NoticeButton>& buttons) {
    std::vector<ButtonFacts> result;
    for (const auto& button : buttons) {
        result.push_back({button.title, button.prominent, button.isCancel, button.identifier});
    }
    return result;
}

void press(const app::NoticeModel& model, const std::string& identifier) {
    for (const auto& button : model.buttons()) {
        if (button.identifier == identifier) {
            button.action();
            return;
        }
    }
    ADD_FAILURE() << "no button " << identifier;
}

FeedbackReport::Environment environment(const std::string& version = "1.4.2") {
    FeedbackReport::Environment made;
    made.appVersion = version;
    made.osVersion = "15.1";
    made.model = "Mac15,3";
    return made;
}

struct Feedback {
    std::vector<std::string> opened;
    std::vector<std::string> clipboard;
    bool opens = true;
    std::shared_ptr<FeedbackAction> action = FeedbackAction::create(
        {},
        [this](const std::string& url) {
            opened.push_back(url);
            return opens;
        },
        [this](const std::string& text) { clipboard = {text}; });
    app::NoticeModel& model() { return action->window().model(); }
};

} // namespace

TEST(FeedbackActionTest, ShowFillsTheNoticeFresh) {
    pellacor::testing::offscreenApplication();
    pellacor::testing::LogCapture log;
    Feedback feedback;
    feedback.action->show(environment());
    auto& model = feedback.model();
    EXPECT_EQ(model.title(), "ご意見・不具合を送る");
    ASSERT_EQ(model.details().size(), 3U);
    EXPECT_EQ(model.details()[0], (app::NoticeDetail{"宛先", "feedback@pellacor.app"}));
    EXPECT_EQ(model.details()[1],
              (app::NoticeDetail{"下書きに入れるもの", FeedbackReport::includedSummary()}));
    EXPECT_EQ(model.details()[2], (app::NoticeDetail{"入れないもの", FeedbackReport::excludedSummary()}));
    EXPECT_EQ(facts(model.buttons()), (std::vector<ButtonFacts>{
                                          {"閉じる", false, true, "feedback:close"},
                                          {"送る内容をコピー", false, false, "feedback:copy"},
                                          {"メールの下書きを開く", true, false, "feedback:mail"},
                                      }));
    EXPECT_TRUE(feedback.action->window().isVisible());
    EXPECT_TRUE(log.contains("app", "「ご意見・不具合を送る」の窓を出します"));

    // Copy twice: one note, the clipboard holding the latest text only.
    press(model, "feedback:copy");
    press(model, "feedback:copy");
    ASSERT_EQ(feedback.clipboard.size(), 1U);
    EXPECT_EQ(feedback.clipboard[0], FeedbackReport::clipboardText(environment()));
    EXPECT_EQ(model.note(), "コピーしました（前にコピーしていたものは置き換わりました）。メールに貼り付けて、"
                            "feedback@pellacor.app 宛にお送りください。");
    EXPECT_EQ(log.matching("ご意見の送る内容をコピーしました").size(), 2U);
    EXPECT_TRUE(feedback.action->window().isVisible()) << "copying keeps the notice open";

    // Closed and shown again with newer facts: no note, the new facts.
    press(model, "feedback:close");
    EXPECT_FALSE(feedback.action->window().isVisible());
    feedback.action->show(environment("2.0"));
    EXPECT_EQ(model.note(), std::nullopt);
    press(model, "feedback:copy");
    EXPECT_EQ(feedback.clipboard[0], FeedbackReport::clipboardText(environment("2.0")));
    feedback.action->window().close();
}

TEST(FeedbackActionTest, MailHandsTheDraftOnAndSaysWhatHappened) {
    pellacor::testing::offscreenApplication();
    struct Case {
        bool opens;
        std::string note;
        std::string log;
    };
    const std::vector<Case> cases{
        {true,
         "メールの下書きを開きました。開かないときは「送る内容をコピー」を押して、ブラウザのメール（Gmail "
         "など）に貼り付けてください。",
         "ご意見のメールの下書きを開きました（開けた）"},
        {false,
         "メールのアプリを開けませんでした。「送る内容をコピー」を押して、ブラウザのメール（Gmail など）から "
         "feedback@pellacor.app 宛にお送りください。",
         "ご意見のメールの下書きを開きました（開けなかった）"},
    };
    for (const auto& c : cases) {
        pellacor::testing::LogCapture log;
        Feedback feedback;
        feedback.opens = c.opens;
        feedback.action->show(environment());
        press(feedback.model(), "feedback:mail");
        EXPECT_EQ(feedback.opened, (std::vector<std::string>{*FeedbackReport::mailtoURL(environment())}));
        EXPECT_EQ(feedback.model().note(), c.note);
        EXPECT_EQ(log.lines("app").back(), "info: " + c.log);
        EXPECT_TRUE(feedback.action->window().isVisible());
        feedback.action->window().close();
    }

    // A draft that cannot be made: nothing handed on, an error line.
    pellacor::testing::LogCapture log;
    Feedback feedback;
    auto broken = environment();
    broken.model = "bad\xff";
    feedback.action->show(broken);
    press(feedback.model(), "feedback:mail");
    EXPECT_TRUE(feedback.opened.empty());
    EXPECT_EQ(feedback.model().note(),
              "メールの下書きを作れませんでした。「送る内容をコピー」を押して、メールに貼り付けてください。");
    EXPECT_EQ(log.lines("app").back(), "error: ご意見のメールの下書きを作れませんでした");
    feedback.action->window().close();
}

TEST(FeedbackActionTest, ButtonsOutlivingTheActionDoNothing) {
    pellacor::testing::offscreenApplication();
    Feedback feedback;
    feedback.action->prepare(environment());
    const auto buttons = feedback.model().buttons();
    feedback.action.reset();
    for (const auto& button : buttons) {
        button.action();
    }
    EXPECT_TRUE(feedback.clipboard.empty());
    EXPECT_TRUE(feedback.opened.empty());
}

namespace {

concurrency::Task<Outcome> awaitOutcome(concurrency::Future<Outcome> future) {
    auto result = co_await std::move(future);
    co_return result ? *result : Outcome::noAnswer();
}

// An update check over a fetch the test answers by hand.
struct Updates {
    concurrency::ManualExecutor executor;
    std::vector<concurrency::Promise<Outcome>> fetches;
    std::vector<std::string> opened;
    bool opens = true;
    std::optional<std::string> current = "1.4.2";
    std::shared_ptr<UpdateCheckAction> action;

    explicit Updates(std::optional<std::string> language = "ja") {
        action = UpdateCheckAction::create({
            .executor = &executor,
            .fetch =
                [this] {
                    fetches.emplace_back();
                    return awaitOutcome(fetches.back().future());
                },
            .openURL =
                [this](const std::string& url) {
                    opened.push_back(url);
                    return opens;
                },
            .language = std::move(language),
            .currentVersion = [this] { return current; },
            .window = {},
        });
    }
    app::NoticeModel& model() { return action->window().model(); }
    // Lets a started check reach its fetch, then answers the latest one.
    void answer(const Outcome& outcome) {
        executor.runUntilIdle();
        ASSERT_FALSE(fetches.empty()) << "no fetch started";
        fetches.back().setValue(outcome);
        executor.runUntilIdle();
    }
};

} // namespace

TEST(UpdateCheckActionTest, OneCheckAtATimeAndTheFlagDropsBeforeTheVerdict) {
    pellacor::testing::offscreenApplication();
    pellacor::testing::LogCapture log;
    Updates updates;
    updates.action->run();
    updates.action->run();
    updates.executor.runUntilIdle();
    updates.action->run();
    EXPECT_EQ(updates.fetches.size(), 1U);
    EXPECT_EQ(log.matching("アップデートを確認します").size(), 1U);
    EXPECT_TRUE(updates.action->isChecking());

    std::optional<bool> checkingWhenFilled;
    const auto subscription = updates.model().observe([&](const app::NoticeModel::Property&) {
        if (!checkingWhenFilled) {
            checkingWhenFilled = updates.action->isChecking();
        }
    });
    updates.answer(Outcome::version("1.4.2"));
    EXPECT_EQ(checkingWhenFilled, false) << "a new check may start while the verdict is shown";
    EXPECT_FALSE(updates.action->isChecking());
    EXPECT_TRUE(updates.action->window().isVisible());
    EXPECT_EQ(updates.model().title(), UpdateCheck::title(UpdateCheck::Status::upToDate("1.4.2")));
    EXPECT_EQ(log.lines("app").back(), "info: アップデートの確認：最新");

    updates.action->run();
    updates.executor.runUntilIdle();
    EXPECT_EQ(updates.fetches.size(), 2U) << "the next check runs while the window is open";
    updates.answer(Outcome::unreachable());
    EXPECT_EQ(updates.model().message(), UpdateCheck::message(UpdateCheck::Status::unknown(false)));
    updates.action->window().close();
}

TEST(UpdateCheckActionTest, TheVerdictPicksTheButtonsAndTheLogLabel) {
    pellacor::testing::offscreenApplication();
    const std::vector<ButtonFacts> ok{{"OK", true, false, "update:ok"}};
    const std::vector<ButtonFacts> later{{"あとで", false, true, "update:later"},
                                         {"ダウンロードのページを開く", true, false, "update:open"}};
    struct Case {
        Outcome outcome;
        std::optional<std::string> current;
        UpdateCheck::Status status;
        std::string label;
        std::vector<ButtonFacts> buttons;
    };
    const std::vector<Case> cases{
        {Outcome::version("1.4.2"), "1.4.2", UpdateCheck::Status::upToDate("1.4.2"), "最新", ok},
        {Outcome::version("1.5"), "1.4.2", UpdateCheck::Status::updateAvailable("1.5", "1.4.2"),
         "新しいバージョンあり", later},
        {Outcome::noAnswer(), "1.4.2", UpdateCheck::Status::unknown(true), "答えが無い", ok},
        {Outcome::unreachable(), "1.4.2", UpdateCheck::Status::unknown(false), "届かない", ok},
        {Outcome::version("1.5"), std::nullopt, UpdateCheck::Status::ownVersionUnreadable(),
         "自分のバージョンが読めない", later},
    };
    for (const auto& c : cases) {
        pellacor::testing::LogCapture log;
        Updates updates;
        updates.current = c.current;
        updates.action->run();
        updates.answer(c.outcome);
        EXPECT_EQ(log.lines("app").back(), "info: アップデートの確認：" + c.label) << c.label;
        EXPECT_EQ(updates.model().title(), UpdateCheck::title(c.status)) << c.label;
        EXPECT_EQ(updates.model().message(), UpdateCheck::message(c.status)) << c.label;
        EXPECT_TRUE(updates.model().details().empty());
        EXPECT_EQ(updates.model().note(), std::nullopt);
        EXPECT_EQ(facts(updates.model().buttons()), c.buttons) << c.label;
        const auto closing = c.buttons.front().identifier;
        press(updates.model(), closing);
        EXPECT_FALSE(updates.action->window().isVisible()) << c.label << ": " << closing << " closes";
    }
}

TEST(UpdateCheckActionTest, TheDownloadPageFollowsTheLanguage) {
    pellacor::testing::offscreenApplication();
    struct Case {
        std::optional<std::string> language;
        std::string page;
    };
    const std::vector<Case> cases{
        {"ja", UpdateCheck::downloadPageURL("ja")},
        {"en", UpdateCheck::downloadPageURL("en")},
        {"ja-JP", UpdateCheck::downloadPageURL("en")},
        {std::nullopt, UpdateCheck::downloadPageURL("en")},
    };
    ASSERT_NE(UpdateCheck::downloadPageURL("ja"), UpdateCheck::downloadPageURL("en"));
    for (const auto& c : cases) {
        Updates updates(c.language);
        updates.action->prepare(UpdateCheck::Status::updateAvailable("1.5", "1.4.2"));
        updates.action->window().show();
        press(updates.model(), "update:open");
        EXPECT_EQ(updates.opened, (std::vector<std::string>{c.page})) << c.language.value_or("none");
        EXPECT_FALSE(updates.action->window().isVisible()) << "the opened page closes the notice";
    }

    pellacor::testing::LogCapture log;
    Updates updates;
    updates.opens = false;
    updates.action->prepare(UpdateCheck::Status::ownVersionUnreadable());
    updates.action->window().show();
    press(updates.model(), "update:open");
    EXPECT_EQ(updates.model().note(), "ブラウザを開けませんでした。ブラウザのアドレスバーに " +
                                          UpdateCheck::downloadPageURL("ja") + " を入れて開いてください。");
    EXPECT_TRUE(updates.action->window().isVisible());
    EXPECT_EQ(log.lines("app").back(), "error: ダウンロードのページを開けませんでした");
    updates.action->window().close();
}

TEST(UpdateCheckActionTest, WithoutPresentingItFillsTheModelOnly) {
    pellacor::testing::offscreenApplication();
    Updates updates;
    updates.action->presentsWindow = false;
    updates.action->run();
    updates.answer(Outcome::version("1.5"));
    EXPECT_EQ(updates.model().title(),
              UpdateCheck::title(UpdateCheck::Status::updateAvailable("1.5", "1.4.2")));
    EXPECT_EQ(updates.model().buttons().size(), 2U);
    EXPECT_EQ(updates.action->window().window(), nullptr) << "no window was ever made";
}

TEST(UpdateCheckActionTest, ACheckOutlivingTheActionEndsQuietly) {
    pellacor::testing::offscreenApplication();
    pellacor::testing::LogCapture log;
    Updates updates;
    updates.action->run();
    updates.action.reset();
    updates.answer(Outcome::version("1.5"));
    EXPECT_TRUE(log.matching("アップデートの確認：").empty());
}

} // namespace PELLACOR_TEST_FILE
