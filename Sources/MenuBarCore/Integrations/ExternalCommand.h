#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pellacor::core {

// One command that reaches the program from outside: a URL of its own scheme
// ("pellacor://reveal?all=1", "pellacor://profile?name=Work") or a shortcut.
class ExternalCommand {
public:
    enum class Case { reveal, switchProfile, collapse, pause, resume };

    // Why a URL was refused; the text is what the log shows.
    enum class Rejection {
        wrongScheme,
        tooLong,
        unknownCommand,
        missingName,
        badName,
        duplicatedParameter,
        badValue
    };
    static constexpr Rejection allRejections[] = {
        Rejection::wrongScheme, Rejection::tooLong, Rejection::unknownCommand,
        Rejection::missingName, Rejection::badName, Rejection::duplicatedParameter,
        Rejection::badValue,
    };
    static std::string_view rawValue(Rejection rejection);
    // The rejection whose text is exactly `raw`.
    static std::optional<Rejection> rejection(std::string_view raw);

    // Either a command or the reason the URL was refused.
    class Parsed;

    static constexpr std::string_view scheme = "pellacor";
    // The most bytes the whole URL text may have, counted once every byte
    // outside ASCII is percent-escaped (so "ふ" counts nine).
    static constexpr std::size_t urlLengthLimit = 2048;

    static ExternalCommand reveal(bool all) { return ExternalCommand(Case::reveal, all, {}); }
    // `name` is already a normalized profile name.
    static ExternalCommand switchProfile(std::string name) {
        return ExternalCommand(Case::switchProfile, false, std::move(name));
    }
    static ExternalCommand collapse() { return ExternalCommand(Case::collapse, false, {}); }
    static ExternalCommand pause() { return ExternalCommand(Case::pause, false, {}); }
    static ExternalCommand resume() { return ExternalCommand(Case::resume, false, {}); }

    // Parses one URL text. Characters outside ASCII are taken as their
    // percent-escaped UTF-8 bytes, as an IRI becomes a URI. The first failing
    // check decides: the scheme, the length (of the escaped text), the URL's
    // syntax, the command word (the host or the path, never both), then the
    // one query parameter the command reads.
    static Parsed parse(std::string_view url);

    Case type() const { return case_; }
    // For `reveal`: whether the always-hidden items come out too.
    bool all() const { return all_; }
    // For `switchProfile`: the profile's name.
    const std::string& name() const { return name_; }

    // The word the log uses; never the profile's name.
    std::string_view kind() const;
    std::string_view description() const { return kind(); }

    bool operator==(const ExternalCommand&) const = default;

private:
    ExternalCommand(Case which, bool all, std::string name)
        : case_(which), all_(all), name_(std::move(name)) {}

    Case case_;
    bool all_;
    std::string name_;
};

class ExternalCommand::Parsed {
public:
    Parsed(ExternalCommand command) : value_(std::move(command)) {} // NOLINT(google-explicit-constructor)
    Parsed(Rejection rejection) : value_(rejection) {}              // NOLINT(google-explicit-constructor)

    bool isCommand() const { return std::holds_alternative<ExternalCommand>(value_); }
    const ExternalCommand* command() const { return std::get_if<ExternalCommand>(&value_); }
    std::optional<Rejection> rejection() const {
        if (const auto* r = std::get_if<Rejection>(&value_)) {
            return *r;
        }
        return std::nullopt;
    }

    bool operator==(const Parsed&) const = default;

private:
    std::variant<ExternalCommand, Rejection> value_;
};

} // namespace pellacor::core
