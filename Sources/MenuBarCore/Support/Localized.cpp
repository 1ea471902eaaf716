#include "MenuBarCore/Support/Localized.h"

#include <array>
#include <optional>
#include <utility>

namespace pellacor::core {

namespace {

Translations& translations() {
    static Translations table;
    return table;
}

// The marks a key may hold; both take the next argument in turn.
constexpr std::array<std::string_view, 2> kinds = {"@", "lld"};

struct Mark {
    std::size_t length = 0;
    // A translation that puts the values in another order numbers its marks
    // ("%2$@"): the argument it takes, counted from 0.
    std::optional<std::size_t> position;
};

// The mark at the start of `text`, which begins with "%", if there is one.
std::optional<Mark> markAt(std::string_view text) {
    std::size_t at = 1;
    std::optional<std::size_t> position;
    std::size_t digits = 0;
    std::size_t number = 0;
    while (at + digits < text.size() && digits < 3 && text[at + digits] >= '0' && text[at + digits] <= '9') {
        number = number * 10 + static_cast<std::size_t>(text[at + digits] - '0');
        ++digits;
    }
    if (digits > 0 && number > 0 && at + digits < text.size() && text[at + digits] == '$') {
        position = number - 1;
        at += digits + 1;
    }
    for (const auto kind : kinds) {
        if (text.substr(at).starts_with(kind)) {
            return Mark{at + kind.size(), position};
        }
    }
    return std::nullopt;
}

} // namespace

void installTranslations(Translations table) {
    translations() = std::move(table);
}

std::string localized(std::string_view japaneseKey) {
    const auto& table = translations();
    const auto found = table.find(japaneseKey);
    return found != table.end() ? found->second : std::string(japaneseKey);
}

std::string localized(std::string_view japaneseKey, std::initializer_list<LocalizedArgument> arguments) {
    const std::string pattern = localized(japaneseKey);
    std::string out;
    out.reserve(pattern.size());
    std::size_t next = 0;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t percent = pattern.find('%', at);
        if (percent == std::string::npos) {
            out.append(pattern, at, std::string::npos);
            break;
        }
        out.append(pattern, at, percent - at);
        const auto mark = markAt(std::string_view(pattern).substr(percent));
        const std::size_t index = mark && mark->position ? *mark->position : next;
        if (!mark || index >= arguments.size()) {
            // Not a mark, or one with no argument for it: copied as written.
            const std::size_t length = mark ? mark->length : 1;
            out.append(pattern, percent, length);
            at = percent + length;
            continue;
        }
        out.append(std::data(arguments)[index].text());
        if (!mark->position) {
            ++next;
        }
        at = percent + mark->length;
    }
    return out;
}

} // namespace pellacor::core
