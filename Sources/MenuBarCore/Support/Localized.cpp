#include "MenuBarCore/Support/Localized.h"

namespace pellacor::core {

std::string localized(std::string_view japaneseKey) {
    return std::string(japaneseKey);
}

std::string localized(std::string_view japaneseKey, std::initializer_list<std::string_view> arguments) {
    const std::string pattern = localized(japaneseKey);
    std::string out;
    auto next = arguments.begin();
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t mark = pattern.find("%@", at);
        if (mark == std::string::npos || next == arguments.end()) {
            out.append(pattern, at, std::string::npos);
            break;
        }
        out.append(pattern, at, mark - at);
        out.append(*next++);
        at = mark + 2;
    }
    return out;
}

} // namespace pellacor::core
