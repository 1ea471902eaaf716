#pragma once

#include "MenuBarCore/Pressing/PressMethod.h"
#include "MenuBarSystem/Support/UnavailableReason.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <variant>

namespace pellacor::system {

// What a press achieved.
class PressOutcome {
public:
    enum class Kind {
        opened,      // a menu opened; carries the method that opened it
        unavailable, // the press could not be attempted at all; carries why
        notOpened,   // pressed, or every way tried, and no menu appeared
        notFound,    // the owning application or the item could not be found
    };

    static PressOutcome opened(core::PressMethod method) {
        return PressOutcome(Content(std::in_place_index<0>, method));
    }
    static PressOutcome unavailable(UnavailableReason reason) {
        return PressOutcome(Content(std::in_place_index<1>, reason));
    }
    static PressOutcome notOpened() { return PressOutcome(Content(std::in_place_index<2>)); }
    static PressOutcome notFound() { return PressOutcome(Content(std::in_place_index<3>)); }

    Kind kind() const { return static_cast<Kind>(content_.index()); }
    // The payload of `opened`; nothing otherwise.
    std::optional<core::PressMethod> method() const;
    // The payload of `unavailable`; nothing otherwise.
    std::optional<UnavailableReason> reason() const;

    // Same case and, for `opened` and `unavailable`, equal payloads.
    bool operator==(const PressOutcome&) const = default;

private:
    struct NotOpened {
        bool operator==(const NotOpened&) const = default;
    };
    struct NotFound {
        bool operator==(const NotFound&) const = default;
    };
    using Content = std::variant<core::PressMethod, UnavailableReason, NotOpened, NotFound>;

    explicit PressOutcome(Content content) : content_(content) {}

    Content content_;
};

// For logs: "opened(hiddenPress)", "unavailable(systemError(0))", "notOpened", "notFound".
std::string toString(const PressOutcome& outcome);

} // namespace pellacor::system

template <> struct std::hash<pellacor::system::PressOutcome> {
    std::size_t operator()(const pellacor::system::PressOutcome& outcome) const noexcept;
};
