#pragma once

#include "MenuBarSystem/Support/UnavailableReason.h"

#include <optional>
#include <string>

namespace pellacor::system {

// One finding of the health check, which decides whether hiding may begin.
class HealthProblem {
public:
    enum class Kind {
        cannotRead,              // the item read was refused (its reason)
        readTimedOut,            // the item read ran into its deadline
        noItems,                 // the read found no status item at all
        ownItemMissing,          // items were read, but the control item is not among them
        hidingComponentMissing,  // the restriction framework is not available
        notInApplicationsFolder, // the program does not run from the Applications folder
        hidingDidNotTakeEffect,  // the first restriction did not confirm
    };

    static constexpr HealthProblem cannotRead(UnavailableReason reason) {
        return HealthProblem(Kind::cannotRead, reason);
    }
    static const HealthProblem readTimedOut;
    static const HealthProblem noItems;
    static const HealthProblem ownItemMissing;
    static const HealthProblem hidingComponentMissing;
    static const HealthProblem notInApplicationsFolder;
    static const HealthProblem hidingDidNotTakeEffect;

    constexpr Kind kind() const { return kind_; }
    // The reason of `cannotRead`; nothing for every other finding.
    constexpr std::optional<UnavailableReason> reason() const { return reason_; }

    // Same finding and, for `cannotRead`, the same reason.
    constexpr bool operator==(const HealthProblem&) const = default;

private:
    constexpr explicit HealthProblem(Kind kind, std::optional<UnavailableReason> reason = std::nullopt)
        : kind_(kind), reason_(reason) {}

    Kind kind_;
    std::optional<UnavailableReason> reason_;
};

inline constexpr HealthProblem HealthProblem::readTimedOut{Kind::readTimedOut};
inline constexpr HealthProblem HealthProblem::noItems{Kind::noItems};
inline constexpr HealthProblem HealthProblem::ownItemMissing{Kind::ownItemMissing};
inline constexpr HealthProblem HealthProblem::hidingComponentMissing{Kind::hidingComponentMissing};
inline constexpr HealthProblem HealthProblem::notInApplicationsFolder{Kind::notInApplicationsFolder};
inline constexpr HealthProblem HealthProblem::hidingDidNotTakeEffect{Kind::hidingDidNotTakeEffect};

// For logs: "noItems", "cannotRead(noAccessibilityPermission)".
std::string toString(const HealthProblem& problem);

} // namespace pellacor::system
