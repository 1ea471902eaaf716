#include "Trayvane/StatusItem/UserSwitcherLook.h"

namespace pellacor::app {

UserSwitcherLook UserSwitcherLook::from(std::optional<std::int64_t> style, std::optional<double> realWidth) {
    if (realWidth && *realWidth > 0) {
        if (*realWidth < iconWidthLimit) {
            return icon;
        }
        // Wide enough for a name: a style that says icon is out of date.
        return style == accountNameStyle ? accountName : fullName;
    }
    if (!style || *style == iconStyle) {
        return icon;
    }
    return *style == accountNameStyle ? accountName : fullName;
}

std::string_view UserSwitcherLook::name() const {
    switch (value_) {
    case fullName:
        return "fullName";
    case accountName:
        return "accountName";
    case icon:
        return "icon";
    }
    return "icon";
}

} // namespace pellacor::app
