#include "MenuBarCore/Support/CodingPath.h"

namespace pellacor::core {

namespace {

bool isPlainName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

} // namespace

void CodingPath::append(std::string& out) const {
    if (parent_ == nullptr) {
        return;
    }
    parent_->append(out);
    if (isElement_) {
        out += '[';
        out += std::to_string(index_);
        out += ']';
    } else if (isPlainName(name_)) {
        if (!out.empty()) {
            out += '.';
        }
        out += name_;
    } else {
        out += "[\"";
        out += name_;
        out += "\"]";
    }
}

std::string CodingPath::text() const {
    std::string out;
    append(out);
    return out;
}

} // namespace pellacor::core
