#include "Trayvane/Settings/SectionText.h"

#include "MenuBarCore/Support/Localized.h"

namespace pellacor::app {

std::string SectionText::title(core::Section section) {
    switch (section) {
    case core::Section::shown:
        return core::localized("表示");
    case core::Section::hidden:
        return core::localized("隠す");
    case core::Section::alwaysHidden:
        return core::localized("いつも隠す");
    }
    return core::localized("表示");
}

} // namespace pellacor::app
