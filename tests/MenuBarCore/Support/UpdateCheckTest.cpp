#include "MenuBarCore/Support/UpdateCheck.h"

#include "MenuBarCore/Support/AppVersion.h"
#include "MenuBarCore/Support/ProductInfo.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;
using Outcome = UpdateCheck::FetchOutcome;
using Status = UpdateCheck::Status;

TEST(AppVersionTest, SanitizedGivesTheTextUnchangedOrNothing) {
    const std::vector<std::string> valid{
        "2", "1.4", "1.4.2", "0001.0002.0003.0004", "0", "9999.9999.9999.9999"};
    for (const auto& text : valid) {
        EXPECT_EQ(AppVersion::sanitized(text), text) << text;
    }
    const std::vector<std::string> invalid{"",        "1.2.3.4.5", "12345", "1..2",  "1.2.",
                                           ".1",      " 1.2",      "1.2 ",  "v1.2",  "1.2a",
                                           "1.-2",    "1,2",       ".",     "１.２", "1.\xef\xbc\x92",
                                           "00001.2", "1.2.3.4.",  "1\n",   "+1.2",  "1.2.3.4.0"};
    for (const auto& text : invalid) {
        EXPECT_EQ(AppVersion::sanitized(text), std::nullopt) << text;
    }
    EXPECT_EQ(AppVersion::sanitized(std::optional<std::string>()), std::nullopt);
    EXPECT_EQ(AppVersion::sanitized(std::optional<std::string>("1.4")), "1.4");
}

TEST(AppVersionTest, IsNewerPadsWithZeros) {
    struct Case {
        const char* a;
        const char* b;
        bool newer;
    };
    const std::vector<Case> cases{
        {"1.10", "1.9", true},   {"1.9", "1.10", false}, {"1.2.1", "1.2", true},
        {"1.2", "1.2.1", false}, {"2", "1.9.9.9", true}, {"1.2", "1.2.0", false},
        {"1.2.0", "1.2", false}, {"01.2", "1.2", false}, {"1.2", "01.2", false},
        {"1.3", "01.2", true},   {"1.2", "1.2", false},  {"1..2", "1.0", false},
        {"1.0", "1..2", false},  {"2", "x", false},      {"0001.0002.0003.0005", "1.2.3.4", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppVersion::isNewer(c.a, c.b), c.newer) << c.a << " vs " << c.b;
    }
    EXPECT_EQ(AppVersion::numbers("0001.02.3"), (std::vector<int>{1, 2, 3}));
}

TEST(UpdateCheckTest, AddressesOfTheAnswerAndTheDownloadPage) {
    EXPECT_EQ(UpdateCheck::url(""), std::nullopt);
    EXPECT_EQ(UpdateCheck::url("updates.example.test"), "https://updates.example.test/latest.json");
    for (const char* bad : {"a b", "host/path", "host?q", "user@host", "..", "host.", "-\n"}) {
        EXPECT_EQ(UpdateCheck::url(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(UpdateCheck::path, "/latest.json");
    EXPECT_EQ(UpdateCheck::maxBodyBytes, 65536U);
    EXPECT_EQ(UpdateCheck::url(UpdateCheck::host).has_value(), !UpdateCheck::host.empty());

    const std::string japanese = UpdateCheck::downloadPageURL("ja");
    EXPECT_EQ(japanese.rfind("https://", 0), 0U);
    EXPECT_TRUE(japanese.ends_with("/pellacor/mac"));
    EXPECT_FALSE(japanese.ends_with("/en/pellacor/mac"));
    for (const auto& language :
         std::vector<std::optional<std::string>>{"ja-JP", "en", "JA", "", std::nullopt}) {
        const std::string page = UpdateCheck::downloadPageURL(language);
        EXPECT_EQ(page.rfind("https://", 0), 0U);
        EXPECT_TRUE(page.ends_with("/en/pellacor/mac")) << language.value_or("(nothing)");
    }
}

TEST(UpdateCheckTest, DecideInOrder) {
    struct Case {
        Outcome outcome;
        std::optional<std::string> current;
        Status status;
    };
    const std::vector<Case> cases{
        {Outcome::unreachable(), std::nullopt, Status::ownVersionUnreadable()},
        {Outcome::version("9.9"), "1..2", Status::ownVersionUnreadable()},
        {Outcome::noAnswer(), "", Status::ownVersionUnreadable()},
        {Outcome::unreachable(), "1.1", Status::unknown(false)},
        {Outcome::noAnswer(), "1.1", Status::unknown(true)},
        {Outcome::version("1.x"), "1.1", Status::unknown(true)},
        {Outcome::version(""), "1.1", Status::unknown(true)},
        {Outcome::version("1.2"), "1.1", Status::updateAvailable("1.2", "1.1")},
        {Outcome::version("1.10"), "1.9", Status::updateAvailable("1.10", "1.9")},
        {Outcome::version("1.1"), "1.1", Status::upToDate("1.1")},
        {Outcome::version("1.1.0"), "01.1", Status::upToDate("01.1")},
        {Outcome::version("1.0"), "1.1", Status::upToDate("1.1")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateCheck::decide(c.outcome, c.current), c.status)
            << c.outcome.text << " / " << c.current.value_or("(nothing)");
    }
}

TEST(UpdateCheckTest, TitlesAndMessages) {
    EXPECT_EQ(ProductInfo::name, "Pellacor");
    const std::string tail =
        "確かめられなかっただけで、Pellacorの動きは何も変わっていません（この確認は、新しいバージョンが"
        "出ているかを見にいくだけです）。";
    struct Case {
        Status status;
        std::string title;
        std::string message;
    };
    const std::vector<Case> cases{
        {Status::upToDate("1.4"), "最新版をお使いです",
         "お使いのPellacorはバージョン 1.4 "
         "です。これより新しいバージョンは出ていません。何もする必要はありません。"},
        {Status::updateAvailable("1.5", "1.4"), "新しいバージョンがあります",
         "新しいバージョン 1.5 が出ています（お使いのものは 1.4 "
         "です）。\n\n「ダウンロードのページを開く」を押すと、"
         "ブラウザでダウンロードのページが開きます。新しいPellacorをダウンロードして、いまのものと同じ「アプ"
         "リケーション」"
         "フォルダに置き換えてください。\n\n振り分け・プロファイル・設定は、そのまま残ります。"},
        {Status::unknown(false), "確認できませんでした",
         "インターネットに接続できているかご確認のうえ、もう一度お試しください。\n\n" + tail},
        {Status::unknown(true), "確認できませんでした",
         "配布元から答えを受け取れませんでした。しばらくしてから、もう一度お試しください。\n\n" + tail},
        {Status::ownVersionUnreadable(), "確認できませんでした",
         "このPellacorのバージョンを読み取れませんでした。アプリのファイルが壊れているかもしれません。\n\n"
         "「ダウンロードのページを開く」を押して、新しくダウンロードしたものに置き換えてください。振り分け・"
         "プロファイル・"
         "設定は、そのまま残ります。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateCheck::title(c.status), c.title);
        EXPECT_EQ(UpdateCheck::message(c.status), c.message);
    }
}

TEST(UpdateCheckTest, OnlyTheConnectionFailuresAreUnreachable) {
    using Code = NetworkError::Code;
    using Domain = NetworkError::Domain;
    for (Code code :
         {Code::notConnectedToInternet, Code::cannotFindHost, Code::cannotConnectToHost, Code::timedOut,
          Code::dnsLookupFailed, Code::internationalRoamingOff, Code::dataNotAllowed, Code::callIsActive}) {
        EXPECT_TRUE(UpdateCheck::isUnreachable({Domain::urlLoading, code, {}})) << static_cast<int>(code);
        EXPECT_FALSE(UpdateCheck::isUnreachable({Domain::other, code, {}})) << static_cast<int>(code);
    }
    for (Code code : {Code::cancelled, Code::secureConnectionFailed, Code::badServerResponse,
                      Code::networkConnectionLost, Code::unsupportedURL, Code::unknown}) {
        EXPECT_FALSE(UpdateCheck::isUnreachable({Domain::urlLoading, code, {}})) << static_cast<int>(code);
    }
}

TEST(UpdateCheckTest, ResponseCheckAndParse) {
    const std::string answer = R"({"version":"1.4.2","notes":"x"})";
    std::string exact = R"({"version":"1.2","pad":")";
    exact += std::string(UpdateCheck::maxBodyBytes - exact.size() - 2, 'a') + "\"}";
    ASSERT_EQ(exact.size(), UpdateCheck::maxBodyBytes);
    std::string over = exact;
    over.insert(over.end() - 2, 'a');

    struct Case {
        std::optional<std::string> type;
        std::string body;
        bool looks;
        std::optional<std::string> parsed;
    };
    const std::vector<Case> cases{
        {"application/json", answer, true, "1.4.2"},
        {" \tApplication/JSON; charset=utf-8 \t", answer, true, "1.4.2"},
        {"application/json+x", answer, true, "1.4.2"},
        {"\napplication/json", answer, false, "1.4.2"},
        {"text/json", answer, false, "1.4.2"},
        {"text/plain", answer, false, "1.4.2"},
        {std::nullopt, answer, false, "1.4.2"},
        {"", answer, false, "1.4.2"},
        {"application/json", "", false, std::nullopt},
        {"application/json", exact, true, "1.2"},
        {"application/json", over, false, "1.2"},
        {"application/json", R"({"version":1.2})", true, std::nullopt},
        {"application/json", R"({"version":null})", true, std::nullopt},
        {"application/json", R"({"version":"1..2"})", true, std::nullopt},
        {"application/json", R"({"version":["1.2"]})", true, std::nullopt},
        {"application/json", R"({})", false, std::nullopt},
        {"application/json", R"({"Version":"1.2"})", false, std::nullopt},
        {"application/json", R"(["1.2"])", false, std::nullopt},
        {"application/json", R"([{"version":"1.2"}])", false, std::nullopt},
        {"application/json", R"("1.2")", false, std::nullopt},
        {"application/json", "12", false, std::nullopt},
        {"application/json", "true", false, std::nullopt},
        {"application/json", "null", false, std::nullopt},
        {"application/json", R"({"version":"1.2")", false, std::nullopt},
        {"application/json", "{\"version\":\"1.2\",\"x\":\"\xff\"}", false, std::nullopt},
        {"application/json", std::string("{\"version\":\"1.2\"}\0", 18), false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateCheck::looksLikeUpdateResponse(c.type, c.body), c.looks)
            << c.type.value_or("(nothing)") << " " << c.body.substr(0, 40);
        EXPECT_EQ(UpdateCheck::parse(c.body), c.parsed) << c.body.substr(0, 40);
    }
}

} // namespace PELLACOR_TEST_FILE
