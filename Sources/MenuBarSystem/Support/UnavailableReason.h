#pragma once

#include <cstdint>
#include <string>

namespace pellacor::system {

// Why a system operation did not run or was refused. A closed list, so callers can
// branch on it and show fixed messages; only `systemError` carries a value.
class UnavailableReason {
public:
    enum class Kind {
        systemError,                // a system call returned an error (its code)
        noAccessibilityPermission,  // the process is not trusted for Accessibility
        hidingComponentMissing,     // the menu-bar restriction framework is not loaded
        selfNotAllowed,             // an allow plan lacks the program's own identifier
        restrictionRejected,        // the framework gave no assertion for an activation
        userSwitchComponentMissing, // the login-window switching function is missing
        layoutFolderNotGranted,     // the layout table's folder cannot be read
        layoutTableMissing,         // the layout table is absent, or a write did not synchronise
        layoutWriteRejected,        // a written layout entry did not read back
        layoutChanged,              // the layout table changed between read and write
    };

    // Every reason but `systemError`, by its kind.
    constexpr UnavailableReason(Kind kind) : kind_(kind) {}
    static constexpr UnavailableReason systemError(std::int32_t code) {
        return UnavailableReason(Kind::systemError, code);
    }

    static const UnavailableReason noAccessibilityPermission;
    static const UnavailableReason hidingComponentMissing;
    static const UnavailableReason selfNotAllowed;
    static const UnavailableReason restrictionRejected;
    static const UnavailableReason userSwitchComponentMissing;
    static const UnavailableReason layoutFolderNotGranted;
    static const UnavailableReason layoutTableMissing;
    static const UnavailableReason layoutWriteRejected;
    static const UnavailableReason layoutChanged;

    constexpr Kind kind() const { return kind_; }
    // The error code of `systemError`; 0 for every other reason.
    constexpr std::int32_t code() const { return code_; }

    // Same kind and, for `systemError`, the same code.
    constexpr bool operator==(const UnavailableReason&) const = default;

private:
    constexpr UnavailableReason(Kind kind, std::int32_t code) : kind_(kind), code_(code) {}

    Kind kind_;
    std::int32_t code_ = 0;
};

inline constexpr UnavailableReason UnavailableReason::noAccessibilityPermission{
    Kind::noAccessibilityPermission};
inline constexpr UnavailableReason UnavailableReason::hidingComponentMissing{Kind::hidingComponentMissing};
inline constexpr UnavailableReason UnavailableReason::selfNotAllowed{Kind::selfNotAllowed};
inline constexpr UnavailableReason UnavailableReason::restrictionRejected{Kind::restrictionRejected};
inline constexpr UnavailableReason UnavailableReason::userSwitchComponentMissing{
    Kind::userSwitchComponentMissing};
inline constexpr UnavailableReason UnavailableReason::layoutFolderNotGranted{Kind::layoutFolderNotGranted};
inline constexpr UnavailableReason UnavailableReason::layoutTableMissing{Kind::layoutTableMissing};
inline constexpr UnavailableReason UnavailableReason::layoutWriteRejected{Kind::layoutWriteRejected};
inline constexpr UnavailableReason UnavailableReason::layoutChanged{Kind::layoutChanged};

// For logs: "layoutChanged", "systemError(-25204)".
inline std::string toString(const UnavailableReason& reason) {
    using Kind = UnavailableReason::Kind;
    switch (reason.kind()) {
    case Kind::systemError:
        return "systemError(" + std::to_string(reason.code()) + ")";
    case Kind::noAccessibilityPermission:
        return "noAccessibilityPermission";
    case Kind::hidingComponentMissing:
        return "hidingComponentMissing";
    case Kind::selfNotAllowed:
        return "selfNotAllowed";
    case Kind::restrictionRejected:
        return "restrictionRejected";
    case Kind::userSwitchComponentMissing:
        return "userSwitchComponentMissing";
    case Kind::layoutFolderNotGranted:
        return "layoutFolderNotGranted";
    case Kind::layoutTableMissing:
        return "layoutTableMissing";
    case Kind::layoutWriteRejected:
        return "layoutWriteRejected";
    case Kind::layoutChanged:
        return "layoutChanged";
    }
    return "systemError(" + std::to_string(reason.code()) + ")";
}

} // namespace pellacor::system
