#pragma once

#include <string>

namespace pellacor::system {

// The result of looking a status item up by its accessibility identifier.
class SystemItemLookup {
public:
    enum class Kind {
        found,      // carries the item's position among the process's status items (0-based)
        absent,     // identifiers could be read, and none matched
        unreadable, // no status items could be read, there were none, or none had a readable identifier
    };

    static constexpr SystemItemLookup found(int position) { return SystemItemLookup(Kind::found, position); }
    static constexpr SystemItemLookup absent() { return SystemItemLookup(Kind::absent, 0); }
    static constexpr SystemItemLookup unreadable() { return SystemItemLookup(Kind::unreadable, 0); }

    constexpr Kind kind() const { return kind_; }
    // The payload of `found`; 0 otherwise.
    constexpr int position() const { return position_; }

    constexpr bool operator==(const SystemItemLookup&) const = default;

private:
    constexpr SystemItemLookup(Kind kind, int position) : kind_(kind), position_(position) {}

    Kind kind_;
    int position_;
};

// For logs and tests: "found(2)", "absent", "unreadable".
std::string toString(const SystemItemLookup& lookup);

} // namespace pellacor::system
