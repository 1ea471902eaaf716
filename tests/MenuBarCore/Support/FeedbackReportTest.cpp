#include "MenuBarCore/Support/FeedbackReport.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/ProductInfo.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;
using Environment = FeedbackReport::Environment;

namespace {

Environment sample() {
    Environment environment;
    environment.appVersion = "1.4.2";
    environment.build = "87";
    environment.osVersion = "15.1";
    environment.model = "Mac15,3";
    environment.accessibilityGranted = true;
    environment.stateText = "しまっています";
    environment.sectionCounts = {.shown = 3, .hidden = 5, .alwaysHidden = 1};
    environment.newItemSection = Section::alwaysHidden;
    environment.profileCount = 2;
    environment.ruleCount = 4;
    environment.switches = {.launchAtLogin = true, .hoverReveal = false, .belowBar = true};
    environment.screenCount = 2;
    environment.hasNotchScreen = true;
    return environment;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::string line;
    std::istringstream stream(text);
    while (std::getline(stream, line)) {
        result.push_back(line);
    }
    if (!text.empty() && text.back() == '\n') {
        result.emplace_back();
    }
    return result;
}

ItemSnapshot item(const std::string& owner, int index = 0) {
    return ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, index, std::nullopt);
}

} // namespace

TEST(FeedbackReportTest, BodyHasItsTwentyTwoLinesInOrder) {
    const std::string body = FeedbackReport::body(sample());
    ASSERT_NE(body.back(), '\n');
    const std::string settings =
        "設定: ログイン時に起動 入・マウスを乗せて出す 切・下の段 入・ノッチ対策 切・"
        "⌘ドラッグ 切・ユーザの切り替えの代わり 切";
    const std::vector<std::string> expected{
        "（この上に、お困りのことやご要望をお書きください）",
        "",
        "・どんな操作をしたか:",
        "・どうなると思ったか:",
        "・実際にどうなったか:",
        "",
        "\u2015\u2015\u2015 ここから下は動作環境です（消していただいてかまいません）\u2015\u2015\u2015",
        "Pellacor: 1.4.2",
        "ビルド: 87",
        "macOS: 15.1",
        "機種: Mac15,3",
        "アクセシビリティ: 許可済み",
        "状態: しまっています",
        "アプリの数: 表示 3・隠す 5・いつも隠す 1",
        "新しいアイコンの置き場所: いつも隠す",
        "プロファイル: 2 個",
        "自動の切り替え: 4 個",
        settings,
        "画面: 2 枚（ノッチのある画面 あり）",
        "",
        "※ " + FeedbackReport::excludedSummary() + "は含めていません。",
        "\u3000 画面の写真を添えていただくときは、このメールに手で添付してください。",
    };
    EXPECT_EQ(lines(body), expected);
}

TEST(FeedbackReportTest, BodyLinesFollowTheEnvironment) {
    struct Case {
        const char* what;
        void (*change)(Environment&);
        std::size_t lineCount;
        std::size_t line; // 0-based, in the changed body
        std::string text;
    };
    const std::vector<Case> cases{
        {"no build: no build line", [](Environment& e) { e.build.clear(); }, 21, 8, "macOS: 15.1"},
        {"permission unknown", [](Environment& e) { e.accessibilityGranted.reset(); }, 22, 11,
         "アクセシビリティ: まだ確かめていません"},
        {"permission refused", [](Environment& e) { e.accessibilityGranted = false; }, 22, 11,
         "アクセシビリティ: 未許可"},
        {"every switch on", [](Environment& e) { e.switches = {true, true, true, true, true, true}; }, 22, 17,
         "設定: ログイン時に起動 入・マウスを乗せて出す 入・下の段 入・ノッチ対策 入・⌘ドラッグ "
         "入・ユーザの切り替えの代わり 入"},
        {"every switch off", [](Environment& e) { e.switches = {}; }, 22, 17,
         "設定: ログイン時に起動 切・マウスを乗せて出す 切・下の段 切・ノッチ対策 切・⌘ドラッグ "
         "切・ユーザの切り替えの代わり 切"},
        {"no notch, one screen",
         [](Environment& e) {
             e.hasNotchScreen = false;
             e.screenCount = 1;
         },
         22, 18, "画面: 1 枚（ノッチのある画面 なし）"},
        {"new items shown", [](Environment& e) { e.newItemSection = Section::shown; }, 22, 14,
         "新しいアイコンの置き場所: 表示"},
    };
    for (const auto& c : cases) {
        auto environment = sample();
        c.change(environment);
        const auto body = lines(FeedbackReport::body(environment));
        ASSERT_EQ(body.size(), c.lineCount) << c.what;
        EXPECT_EQ(body[c.line], c.text) << c.what;
        EXPECT_EQ(body.back(), "\u3000 画面の写真を添えていただくときは、このメールに手で添付してください。")
            << c.what;
    }
}

TEST(FeedbackReportTest, SubjectAndClipboardText) {
    EXPECT_EQ(FeedbackReport::subject(sample()), std::string(ProductInfo::name) + " 1.4.2 のご意見・不具合");
    const auto text = FeedbackReport::clipboardText(sample());
    const auto clip = lines(text);
    ASSERT_GE(clip.size(), 4U);
    EXPECT_EQ(clip[0], "宛先: feedback@pellacor.app");
    EXPECT_EQ(clip[1], "件名: Pellacor 1.4.2 のご意見・不具合");
    EXPECT_EQ(clip[2], "");
    EXPECT_EQ(text.substr(text.find("\n\n") + 2), FeedbackReport::body(sample()));
}

TEST(FeedbackReportTest, MailtoEncodesEverythingButItsSeparators) {
    const auto url = FeedbackReport::mailtoURL(sample());
    ASSERT_TRUE(url);
    const std::string prefix = "mailto:feedback@pellacor.app?subject=";
    ASSERT_EQ(url->substr(0, prefix.size()), prefix);
    EXPECT_EQ(std::count(url->begin(), url->end(), '?'), 1);
    EXPECT_EQ(std::count(url->begin(), url->end(), '&'), 1);
    EXPECT_EQ(std::count(url->begin(), url->end(), '@'), 1);
    const auto body = url->find("&body=");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(url->substr(prefix.size(), body - prefix.size()),
              "Pellacor%201.4.2%20%E3%81%AE%E3%81%94%E6%84%8F%E8%A6%8B%E3%83%BB%E4%B8%8D%E5%85%B7%E5%90%88");
    for (const char character : url->substr(body + 6)) {
        const bool allowed = std::isalnum(static_cast<unsigned char>(character)) || character == '%' ||
                             character == '-' || character == '.' || character == '_' || character == '~';
        EXPECT_TRUE(allowed) << "unencoded '" << character << "'";
    }
    // The body decodes back to itself: line breaks are %0A, spaces %20.
    EXPECT_EQ(*FeedbackReport::percentEncoded(FeedbackReport::body(sample())), url->substr(body + 6));
    EXPECT_NE(url->find("%0A%0A"), std::string::npos);
}

TEST(FeedbackReportTest, PercentEncodingTable) {
    struct Case {
        std::string text;
        std::string keep;
        std::optional<std::string> encoded;
    };
    const std::vector<Case> cases{
        {"Az09-._~", "", "Az09-._~"},
        {"a b\nc", "", "a%20b%0Ac"},
        {"?&=#+/:@", "", "%3F%26%3D%23%2B%2F%3A%40"},
        {"x@y.z", "@", "x@y.z"},
        {"・（）", "", "%E3%83%BB%EF%BC%88%EF%BC%89"},
        {"⌘", "", "%E2%8C%98"},
        {"", "", ""},
        {"bad\xff", "", std::nullopt},
        {"cut\xe3\x81", "", std::nullopt},
        {"overlong\xc0\xaf", "", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FeedbackReport::percentEncoded(c.text, c.keep), c.encoded) << c.text;
    }
    auto environment = sample();
    environment.stateText = "broken\xff";
    EXPECT_EQ(FeedbackReport::mailtoURL(environment), std::nullopt);
}

TEST(FeedbackReportTest, SectionCountsCountApplicationsOnce) {
    const Profile profile(Uuid::random(), "ふだん",
                          {{AppKey("com.example.a"), Section::shown},
                           {AppKey("com.example.b"), Section::alwaysHidden},
                           {AppKey("com.apple.clock"), Section::hidden}},
                          {}, Section::hidden);
    const std::vector<ItemSnapshot> items{
        item("com.example.a", 0),      item("com.example.a", 1),    item("com.example.a", 2),
        item("com.example.b"),         item("com.example.unknown"), item("com.apple.clock"),
        item("app.trayvane.pellacor"),
    };
    EXPECT_EQ(FeedbackReport::sectionCounts(items, profile, std::string("app.trayvane.pellacor")),
              (FeedbackReport::SectionCounts{.shown = 1, .hidden = 1, .alwaysHidden = 1}));
    EXPECT_EQ(FeedbackReport::sectionCounts(items, profile, std::nullopt),
              (FeedbackReport::SectionCounts{.shown = 1, .hidden = 2, .alwaysHidden = 1}));
    EXPECT_EQ(FeedbackReport::sectionCounts({}, profile, std::nullopt), FeedbackReport::SectionCounts{});
}

TEST(FeedbackReportTest, TextsFollowTheTranslation) {
    installTranslations({{"入", "on"}, {"%@ %@ のご意見・不具合", "%1$@ %2$@ feedback"}});
    auto environment = sample();
    environment.switches = {true, true, true, true, true, true};
    EXPECT_EQ(FeedbackReport::subject(environment), "Pellacor 1.4.2 feedback");
    EXPECT_NE(FeedbackReport::body(environment).find("ログイン時に起動 on・"), std::string::npos);
    installTranslations({});
}

} // namespace PELLACOR_TEST_FILE
