#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellacor::core {

// The one message of a connection between two processes of the program: a
// line of text ending in "\n", at most `limit` bytes with its newline. Bytes
// are handed over as they arrive; what follows the first newline is not read.
class MessageFrame {
public:
    enum class State {
        incomplete, // no newline yet, and still within the limit
        complete,   // the message is whole
        tooLarge,   // the limit was passed before a newline came
    };

    explicit MessageFrame(std::size_t limit) : limit_(limit) {}

    // Takes the next bytes; answers the state after them. Once the message is
    // complete or too large, nothing more is taken.
    State append(std::string_view bytes);
    State state() const { return state_; }
    // The message without its newline, once complete.
    const std::string& message() const { return text_; }
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_;
    std::string text_;
    State state_ = State::incomplete;
};

} // namespace pellacor::core
