#pragma once

#include "MenuBarCore/Support/Uuid.h"

#include <functional>
#include <string>

namespace pellacor::app {

// One button of a notice's row. The prominent one answers Return; a cancel
// button that is not prominent answers Escape. `identifier` is the button's
// accessibility identifier (its objectName).
struct NoticeButton {
    core::Uuid id = core::Uuid::random();
    std::string title{};
    bool prominent = false;
    bool isCancel = false;
    std::string identifier{};
    std::function<void()> action{};
};

} // namespace pellacor::app
