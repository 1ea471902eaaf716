#pragma once

#include "MenuBarCore/Planning/HoverZone.h"

#include <optional>
#include <variant>

namespace pellacor::core {

// What the dwell asks of the caller after one pointer sample: check the zone
// (then report with `HoverDwell::checked`), or nothing.
class HoverStep {
public:
    static HoverStep check(HoverZone zone) { return HoverStep(Check{zone}); }
    static HoverStep wait() { return HoverStep(Wait{}); }

    // The zone to check; absent for `wait`.
    std::optional<HoverZone> checkZone() const {
        const auto* check = std::get_if<Check>(&content_);
        return check != nullptr ? std::optional<HoverZone>(check->zone) : std::nullopt;
    }

    bool operator==(const HoverStep&) const = default;

private:
    struct Check {
        HoverZone zone;
        bool operator==(const Check&) const = default;
    };
    struct Wait {
        bool operator==(const Wait&) const = default;
    };

    explicit HoverStep(std::variant<Check, Wait> content) : content_(content) {}

    std::variant<Check, Wait> content_;
};

} // namespace pellacor::core
