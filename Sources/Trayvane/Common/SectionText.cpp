#include "Trayvane/Common/SectionText.h"

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

std::string SectionText::caption(core::Section section) {
    switch (section) {
    case core::Section::shown:
        return core::localized("いつもメニューバーに見えています。");
    case core::Section::hidden:
        return core::localized("ふだんは見えません。操作口をクリックすると出ます。");
    case core::Section::alwaysHidden:
        return core::localized("⇧ を押しながら操作口をクリックしたときだけ出ます。");
    }
    return core::localized("いつもメニューバーに見えています。");
}

} // namespace pellacor::app
