// The help text as the help window reads it: any bytes parse, every problem
// names a line or the whole document, and every text the renderer splits into
// runs comes back whole from its runs.
#include "MenuBarCore/Help/HelpDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

using pellacor::core::HelpDocument;

namespace {

// The runs, with every emphasised one wrapped in its markers again, give back
// the line: nothing is lost or invented.
void checkSpans(const std::string& line) {
    std::string rebuilt;
    for (const auto& run : HelpDocument::spans(line)) {
        if (!run.emphasized && run.text.empty()) {
            std::abort();
        }
        rebuilt += run.emphasized ? "**" + run.text + "**" : run.text;
    }
    if (rebuilt != line) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto document = HelpDocument::parse(text);
    if (document.problems.size() < 1 && (document.title.empty() || document.sections.empty())) {
        std::abort();
    }
    checkSpans(document.title);
    for (const auto& section : document.sections) {
        checkSpans(section.title);
        checkSpans(section.group);
        for (const auto& block : section.blocks) {
            std::visit([](const auto& value) { checkSpans(value.text); }, block);
        }
    }
    checkSpans(std::string(text));
    if (HelpDocument::parse(text) != document) {
        std::abort();
    }
    return 0;
}
