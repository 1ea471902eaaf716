#pragma once

#include "MenuBarCore/Support/Uuid.h"

#include <optional>
#include <string>
#include <variant>

namespace pellacor::app {

// One opening of the profile bar's name sheet: what it is for and the text its
// field starts with. Every opening has a new `id`, so a sheet opened again
// starts afresh rather than showing what the last one was left with.
struct ProfileBarEditor {
    // Changing the name of a profile.
    struct Rename {
        core::Uuid profileID;
        bool operator==(const Rename&) const = default;
    };
    // Naming a new profile.
    struct Add {
        bool operator==(const Add&) const = default;
    };
    using Kind = std::variant<Rename, Add>;

    core::Uuid id;
    Kind kind;
    std::string initial;

    // The profile whose name changes; nothing when adding.
    std::optional<core::Uuid> renaming() const {
        if (const auto* rename = std::get_if<Rename>(&kind)) {
            return rename->profileID;
        }
        return std::nullopt;
    }
    bool isAdding() const { return std::holds_alternative<Add>(kind); }

    bool operator==(const ProfileBarEditor&) const = default;
};

} // namespace pellacor::app
