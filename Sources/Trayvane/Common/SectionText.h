#pragma once

#include "MenuBarCore/Model/Section.h"

#include <string>

namespace pellacor::app {

// How a section is named and explained on screen: its title in the search
// panel's rows, the rows' move menus and the settings' bands and choices, its
// caption under the band's title. Both go through the text lookup.
struct SectionText {
    // "表示", "隠す" or "いつも隠す".
    static std::string title(core::Section section);
    // One sentence on when the section's items can be seen.
    static std::string caption(core::Section section);
};

} // namespace pellacor::app
