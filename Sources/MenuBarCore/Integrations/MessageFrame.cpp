#include "MenuBarCore/Integrations/MessageFrame.h"

namespace pellacor::core {

MessageFrame::State MessageFrame::append(std::string_view bytes) {
    if (state_ != State::incomplete) {
        return state_;
    }
    const auto newline = bytes.find('\n');
    const auto taken = bytes.substr(0, newline);
    // The newline counts towards the limit, so a full-size message still fits.
    const std::size_t room = limit_ - text_.size() - 1;
    if (taken.size() > room) {
        state_ = State::tooLarge;
        text_.clear();
        text_.shrink_to_fit();
        return state_;
    }
    text_.append(taken);
    if (newline != std::string_view::npos) {
        state_ = State::complete;
    }
    return state_;
}

} // namespace pellacor::core
