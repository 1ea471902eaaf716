#pragma once

#include "MenuBarCore/Model/Section.h"

#include <string>

namespace pellacor::app {

// How a section is named on screen: in the search panel's rows and wherever
// the settings show sections.
struct SectionText {
    // "表示", "隠す" or "いつも隠す", through the localisation lookup.
    static std::string title(core::Section section);
};

} // namespace pellacor::app
