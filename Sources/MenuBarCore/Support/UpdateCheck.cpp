#include "MenuBarCore/Support/UpdateCheck.h"

#include "MenuBarCore/Support/AppVersion.h"
#include "MenuBarCore/Support/JsonCoding.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/ProductInfo.h"

#include <algorithm>
#include <cctype>

// The build names the update host and the maker's web site.
#ifndef PELLACOR_UPDATE_HOST
#define PELLACOR_UPDATE_HOST "updates.pellacor.app"
#endif
#ifndef PELLACOR_WEBSITE_HOST
#define PELLACOR_WEBSITE_HOST "pellacor.app"
#endif

namespace pellacor::core {

const std::string UpdateCheck::host = PELLACOR_UPDATE_HOST;

namespace {

// A host name that can stand between "https://" and the path as it is: letters,
// digits, hyphens and dots, no empty label.
bool isHostName(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.' ||
        text.find("..") != std::string_view::npos) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '.';
    });
}

// The body as JSON, when it is an object or an array; a bare scalar is not an
// answer document, even though it is valid JSON.
std::optional<Json> documentOf(std::string_view body) {
    // Valid JSON never holds a raw NUL byte, but the parser stops at one and
    // would take what came before it for the whole text.
    if (body.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    auto json = parseJson(body);
    if (!json || !(json->is_object() || json->is_array())) {
        return std::nullopt;
    }
    return std::move(json).value();
}

std::string unknownMessage(std::string_view first) {
    return localized(first) + "\n\n" +
           localized(
               "確かめられなかっただけで、%@"
               "の動きは何も変わっていません（この確認は、新しいバージョンが出ているかを見にいくだけです）。",
               {ProductInfo::name});
}

} // namespace

std::optional<std::string> UpdateCheck::url(std::string_view forHost) {
    if (!isHostName(forHost)) {
        return std::nullopt;
    }
    return "https://" + std::string(forHost) + std::string(path);
}

std::string UpdateCheck::downloadPageURL(const std::optional<std::string>& language) {
    const std::string site = "https://" PELLACOR_WEBSITE_HOST;
    if (language && *language == "ja") {
        return site + "/pellacor/mac";
    }
    return site + "/en/pellacor/mac";
}

UpdateCheck::Status UpdateCheck::decide(const FetchOutcome& outcome,
                                        const std::optional<std::string>& current) {
    const auto own = AppVersion::sanitized(current);
    if (!own) {
        return Status::ownVersionUnreadable();
    }
    switch (outcome.kind) {
    case FetchOutcome::Kind::unreachable:
        return Status::unknown(false);
    case FetchOutcome::Kind::noAnswer:
        return Status::unknown(true);
    case FetchOutcome::Kind::version:
        break;
    }
    const auto latest = AppVersion::sanitized(outcome.text);
    if (!latest) {
        return Status::unknown(true);
    }
    if (AppVersion::isNewer(*latest, *own)) {
        return Status::updateAvailable(*latest, *own);
    }
    return Status::upToDate(*own);
}

std::string UpdateCheck::title(const Status& status) {
    switch (status.kind) {
    case Status::Kind::upToDate:
        return localized("最新版をお使いです");
    case Status::Kind::updateAvailable:
        return localized("新しいバージョンがあります");
    case Status::Kind::unknown:
    case Status::Kind::ownVersionUnreadable:
        break;
    }
    return localized("確認できませんでした");
}

std::string UpdateCheck::message(const Status& status) {
    switch (status.kind) {
    case Status::Kind::upToDate:
        return localized("お使いの%@はバージョン %@ "
                         "です。これより新しいバージョンは出ていません。何もする必要はありません。",
                         {ProductInfo::name, status.current});
    case Status::Kind::updateAvailable:
        return localized(
            "新しいバージョン %@ が出ています（お使いのものは %@ です）。\n\n"
            "「ダウンロードのページを開く」を押すと、ブラウザでダウンロードのページが開きます。"
            "新しい%@"
            "をダウンロードして、いまのものと同じ「アプリケーション」フォルダに置き換えてください。\n\n"
            "振り分け・プロファイル・設定は、そのまま残ります。",
            {status.latest, status.current, ProductInfo::name});
    case Status::Kind::unknown:
        return status.reachable
                   ? unknownMessage(
                         "配布元から答えを受け取れませんでした。しばらくしてから、もう一度お試しください。")
                   : unknownMessage("インターネットに接続できているかご確認のうえ、もう一度お試しください。");
    case Status::Kind::ownVersionUnreadable:
        break;
    }
    return localized(
        "この%@のバージョンを読み取れませんでした。アプリのファイルが壊れているかもしれません。\n\n"
        "「ダウンロードのページを開く」を押して、新しくダウンロードしたものに置き換えてください。"
        "振り分け・プロファイル・設定は、そのまま残ります。",
        {ProductInfo::name});
}

bool UpdateCheck::isUnreachable(const NetworkError& error) {
    if (error.domain != NetworkError::Domain::urlLoading) {
        return false;
    }
    using Code = NetworkError::Code;
    switch (error.code) {
    case Code::notConnectedToInternet:
    case Code::cannotFindHost:
    case Code::cannotConnectToHost:
    case Code::timedOut:
    case Code::dnsLookupFailed:
    case Code::internationalRoamingOff:
    case Code::dataNotAllowed:
    case Code::callIsActive:
        return true;
    default:
        return false;
    }
}

bool UpdateCheck::looksLikeUpdateResponse(const std::optional<std::string>& contentType,
                                          std::string_view body) {
    std::string type = contentType.value_or("");
    const auto first = type.find_first_not_of(" \t");
    const auto last = type.find_last_not_of(" \t");
    type = first == std::string::npos ? std::string() : type.substr(first, last - first + 1);
    std::transform(type.begin(), type.end(), type.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (type.rfind("application/json", 0) != 0) {
        return false;
    }
    if (body.empty() || body.size() > maxBodyBytes) {
        return false;
    }
    const auto document = documentOf(body);
    if (!document || !document->is_object()) {
        return false;
    }
    return document->contains("version");
}

std::optional<std::string> UpdateCheck::parse(std::string_view body) {
    const auto document = documentOf(body);
    if (!document || !document->is_object()) {
        return std::nullopt;
    }
    const auto version = document->find("version");
    if (version == document->end() || !version->is_string()) {
        return std::nullopt;
    }
    return AppVersion::sanitized(version->get_ref<const std::string&>());
}

} // namespace pellacor::core
