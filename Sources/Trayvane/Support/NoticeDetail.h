#pragma once

#include <string>

namespace pellacor::app {

// One labelled fact of a notice, shown as its label over its text.
struct NoticeDetail {
    std::string label;
    std::string text;
    friend bool operator==(const NoticeDetail&, const NoticeDetail&) = default;
};

} // namespace pellacor::app
