#include "MenuBarCore/Integrations/ExternalCommand.h"

#include "MenuBarCore/Integrations/UrlComponents.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Text/Text.h"

#include <vector>

namespace pellacor::core {

namespace {

// The words and parameter names are ASCII; no other character lower-cases to
// one of their letters, so ASCII lower-casing matches them as a full one would.
std::string asciiLowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string_view strippedOfSlashes(std::string_view path) {
    while (!path.empty() && path.front() == '/') {
        path.remove_prefix(1);
    }
    while (!path.empty() && path.back() == '/') {
        path.remove_suffix(1);
    }
    return path;
}

// The one value of a parameter (names compared lower-cased): nothing when no
// item has the name, the empty text for an item without "=", and a rejection
// when two or more items have it.
std::variant<std::optional<std::string>, ExternalCommand::Rejection>
parameterValue(std::string_view name, const std::vector<UrlComponents::QueryItem>& items) {
    const UrlComponents::QueryItem* found = nullptr;
    for (const auto& item : items) {
        if (asciiLowercased(item.name) != name) {
            continue;
        }
        if (found != nullptr) {
            return ExternalCommand::Rejection::duplicatedParameter;
        }
        found = &item;
    }
    if (found == nullptr) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>(found->value.value_or(std::string()));
}

ExternalCommand::Parsed parseReveal(const std::vector<UrlComponents::QueryItem>& items) {
    auto lookup = parameterValue("all", items);
    if (const auto* rejection = std::get_if<ExternalCommand::Rejection>(&lookup)) {
        return *rejection;
    }
    const auto& value = std::get<std::optional<std::string>>(lookup);
    if (!value) {
        return ExternalCommand::reveal(false);
    }
    const auto word = asciiLowercased(*value);
    if (word == "1" || word == "true" || word == "yes") {
        return ExternalCommand::reveal(true);
    }
    if (word == "0" || word == "false" || word == "no") {
        return ExternalCommand::reveal(false);
    }
    return ExternalCommand::Rejection::badValue;
}

ExternalCommand::Parsed parseProfile(const std::vector<UrlComponents::QueryItem>& items) {
    auto lookup = parameterValue("name", items);
    if (const auto* rejection = std::get_if<ExternalCommand::Rejection>(&lookup)) {
        return *rejection;
    }
    const auto& value = std::get<std::optional<std::string>>(lookup);
    if (!value || Text::trimmed(*value).empty()) {
        return ExternalCommand::Rejection::missingName;
    }
    auto name = StoredState::normalizedProfileName(*value);
    if (!name) {
        return ExternalCommand::Rejection::badName;
    }
    return ExternalCommand::switchProfile(std::move(*name));
}

} // namespace

std::string_view ExternalCommand::rawValue(Rejection rejection) {
    switch (rejection) {
    case Rejection::wrongScheme:
        return "先頭が違う";
    case Rejection::tooLong:
        return "長すぎる";
    case Rejection::unknownCommand:
        return "知らない命令";
    case Rejection::missingName:
        return "名前が無い";
    case Rejection::badName:
        return "使えない名前";
    case Rejection::duplicatedParameter:
        return "同じ項目が2つ以上ある";
    case Rejection::badValue:
        return "知らない値";
    }
    return {};
}

std::optional<ExternalCommand::Rejection> ExternalCommand::rejection(std::string_view raw) {
    for (const auto candidate : allRejections) {
        if (rawValue(candidate) == raw) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string_view ExternalCommand::kind() const {
    switch (case_) {
    case Case::reveal:
        return all_ ? "全部出す" : "出す";
    case Case::switchProfile:
        return "プロファイルの切り替え";
    case Case::collapse:
        return "しまう";
    case Case::pause:
        return "一時停止";
    case Case::resume:
        return "再開";
    }
    return {};
}

ExternalCommand::Parsed ExternalCommand::parse(std::string_view url) {
    const auto urlScheme = UrlComponents::schemeOf(url);
    if (!urlScheme || asciiLowercased(*urlScheme) != scheme) {
        return Rejection::wrongScheme;
    }
    // A person types a profile's name in their own script; it reaches the
    // program as the UTF-8 of the text as it reads.
    const std::string escaped = UrlComponents::withNonAsciiEscaped(url);
    if (escaped.size() > urlLengthLimit) {
        return Rejection::tooLong;
    }
    const auto parts = UrlComponents::split(escaped);
    if (!parts) {
        return Rejection::unknownCommand;
    }

    const auto path = strippedOfSlashes(parts->path);
    std::string_view word = path;
    if (parts->host && !parts->host->empty()) {
        if (!path.empty()) {
            return Rejection::unknownCommand;
        }
        word = *parts->host;
    }

    const auto command = asciiLowercased(word);
    if (command == "reveal") {
        return parseReveal(parts->queryItems);
    }
    if (command == "collapse") {
        return collapse();
    }
    if (command == "pause") {
        return pause();
    }
    if (command == "resume") {
        return resume();
    }
    if (command == "profile") {
        return parseProfile(parts->queryItems);
    }
    return Rejection::unknownCommand;
}

} // namespace pellacor::core
