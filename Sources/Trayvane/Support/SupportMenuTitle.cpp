#include "Trayvane/Support/SupportMenuTitle.h"

#include "MenuBarCore/Support/Localized.h"

namespace pellacor::app {

const std::string& SupportMenuTitle::feedback() {
    static const std::string title = core::localized("ご意見・不具合を送る…");
    return title;
}

const std::string& SupportMenuTitle::update() {
    static const std::string title = core::localized("アップデートを確認");
    return title;
}

const std::string& SupportMenuTitle::updateChecking() {
    static const std::string title = core::localized("アップデートを確認中…");
    return title;
}

} // namespace pellacor::app
