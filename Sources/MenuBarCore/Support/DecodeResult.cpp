#include "MenuBarCore/Support/DecodeResult.h"

namespace pellacor::core {

std::string_view toString(DecodeError::Kind kind) {
    switch (kind) {
    case DecodeError::Kind::keyNotFound:
        return "keyNotFound";
    case DecodeError::Kind::valueNotFound:
        return "valueNotFound";
    case DecodeError::Kind::typeMismatch:
        return "typeMismatch";
    case DecodeError::Kind::dataCorrupted:
        return "dataCorrupted";
    }
    return "dataCorrupted";
}

std::string DecodeError::description() const {
    std::string text(toString(kind));
    if (!codingPath.empty()) {
        text += " at ";
        text += codingPath;
    }
    text += ": ";
    text += message;
    return text;
}

} // namespace pellacor::core
