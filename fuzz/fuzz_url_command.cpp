// Any text as a URL command: the splitter either refuses it or yields parts
// that are well-formed UTF-8; escaping the bytes outside ASCII leaves ASCII
// alone and leaves nothing outside it; and the parser always answers a command
// or a rejection that agrees with the splitter over the escaped text and with
// the length limit counted on that text.
#include "MenuBarCore/Integrations/ExternalCommand.h"
#include "MenuBarCore/Integrations/UrlComponents.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Text/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pellacor::core;

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool wellFormed(std::string_view text) {
    return Text::utf8(Text::codePoints(text)) == text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view url(reinterpret_cast<const char*>(data), size);

    const auto parts = UrlComponents::split(url);
    if (parts) {
        require(UrlComponents::schemeOf(url).has_value());
        require(!parts->host || wellFormed(*parts->host));
        require(wellFormed(parts->path));
        for (const auto& item : parts->queryItems) {
            require(wellFormed(item.name));
            require(!item.value || wellFormed(*item.value));
        }
        require(parts->query.has_value() || parts->queryItems.empty());
    }

    const std::string escaped = UrlComponents::withNonAsciiEscaped(url);
    bool ascii = true;
    for (const char c : escaped) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    require(ascii);
    require(escaped.size() >= url.size());
    require((escaped.size() == url.size()) == (escaped == url));
    const auto escapedParts = UrlComponents::split(escaped);

    const auto parsed = ExternalCommand::parse(url);
    require(parsed == ExternalCommand::parse(url));
    const auto rejection = parsed.rejection();
    require(rejection.has_value() != parsed.isCommand());
    if (rejection) {
        require(ExternalCommand::rejection(ExternalCommand::rawValue(*rejection)) == rejection);
        if (*rejection != ExternalCommand::Rejection::wrongScheme &&
            escaped.size() > ExternalCommand::urlLengthLimit) {
            require(*rejection == ExternalCommand::Rejection::tooLong);
        }
    } else {
        require(escapedParts.has_value() && escaped.size() <= ExternalCommand::urlLengthLimit);
        const auto& command = *parsed.command();
        require(!command.kind().empty());
        if (command.type() == ExternalCommand::Case::switchProfile) {
            require(StoredState::normalizedProfileName(command.name()) == command.name());
        }
    }
    return 0;
}
