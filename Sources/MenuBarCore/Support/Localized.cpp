#include "MenuBarCore/Support/Localized.h"

namespace pellacor::core {

std::string localized(std::string_view japaneseKey) {
    return std::string(japaneseKey);
}

} // namespace pellacor::core
