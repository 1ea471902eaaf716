#pragma once

#include "MenuBarCore/Support/NetworkError.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// The rules of the update check, free of networking: where the answer document
// is, what a valid answer looks like, and what the user is told.
struct UpdateCheck {
    // The one server the program asks, set by the build; empty switches the
    // check off (no request is made).
    static const std::string host;
    static constexpr std::string_view path = "/latest.json";
    static constexpr std::size_t maxBodyBytes = 65536;

    // The result of one fetch of the answer document.
    struct FetchOutcome {
        enum class Kind { version, unreachable, noAnswer };
        Kind kind = Kind::noAnswer;
        std::string text; // the announced version, for `version` only

        static FetchOutcome version(std::string text) { return {Kind::version, std::move(text)}; }
        static FetchOutcome unreachable() { return {Kind::unreachable, {}}; }
        static FetchOutcome noAnswer() { return {Kind::noAnswer, {}}; }

        friend bool operator==(const FetchOutcome&, const FetchOutcome&) = default;
    };

    // The verdict the user is shown.
    struct Status {
        enum class Kind { upToDate, updateAvailable, unknown, ownVersionUnreadable };
        Kind kind = Kind::unknown;
        std::string latest;     // updateAvailable
        std::string current;    // upToDate, updateAvailable
        bool reachable = false; // unknown

        static Status upToDate(std::string current) {
            return {Kind::upToDate, {}, std::move(current), false};
        }
        static Status updateAvailable(std::string latest, std::string current) {
            return {Kind::updateAvailable, std::move(latest), std::move(current), false};
        }
        static Status unknown(bool reachable) { return {Kind::unknown, {}, {}, reachable}; }
        static Status ownVersionUnreadable() { return {Kind::ownVersionUnreadable, {}, {}, false}; }

        friend bool operator==(const Status&, const Status&) = default;
    };

    // "https://<host>/latest.json", or nothing for an empty host or one that
    // cannot stand in an address.
    static std::optional<std::string> url(std::string_view forHost);

    // The maker's download page: the Japanese one for exactly "ja", the English
    // one for everything else.
    static std::string downloadPageURL(const std::optional<std::string>& language);

    static Status decide(const FetchOutcome& outcome, const std::optional<std::string>& current);

    static std::string title(const Status& status);
    static std::string message(const Status& status);

    // True for the failures that mean the server could not be reached at all.
    static bool isUnreachable(const NetworkError& error);

    // Whether a response may be an answer document: a JSON content type, and a
    // body of at most `maxBodyBytes` holding a JSON object with "version".
    static bool looksLikeUpdateResponse(const std::optional<std::string>& contentType, std::string_view body);

    // The announced version, when the body is an object whose "version" is a
    // string holding a valid version.
    static std::optional<std::string> parse(std::string_view body);
};

} // namespace pellacor::core
