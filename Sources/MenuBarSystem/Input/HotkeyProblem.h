#pragma once

#include <cstdint>
#include <string>

namespace pellacor::system {

// Why a hot key was not registered.
class HotkeyProblem {
public:
    enum class Kind {
        rejected,              // the system refused, with a status code
        takenBySystemShortcut, // an enabled system shortcut has the same key and modifiers
    };

    static constexpr HotkeyProblem rejected(std::int32_t status) {
        return HotkeyProblem(Kind::rejected, status);
    }
    static const HotkeyProblem takenBySystemShortcut;

    constexpr Kind kind() const { return kind_; }
    // The system's status code of `rejected`; 0 otherwise.
    constexpr std::int32_t status() const { return status_; }

    constexpr bool operator==(const HotkeyProblem&) const = default;

private:
    constexpr HotkeyProblem(Kind kind, std::int32_t status) : kind_(kind), status_(status) {}

    Kind kind_;
    std::int32_t status_;
};

inline constexpr HotkeyProblem HotkeyProblem::takenBySystemShortcut{Kind::takenBySystemShortcut, 0};

// For logs: "rejected(-9878)", "takenBySystemShortcut".
inline std::string toString(const HotkeyProblem& problem) {
    if (problem.kind() == HotkeyProblem::Kind::rejected) {
        return "rejected(" + std::to_string(problem.status()) + ")";
    }
    return "takenBySystemShortcut";
}

} // namespace pellacor::system
