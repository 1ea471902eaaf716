#pragma once

#include <string>
#include <variant>
#include <vector>

namespace pellacor::core {

// What the menu bar may show: only the applications of a list (plus the system's
// own items), or everything.
class VisibilityPlan {
public:
    struct Allow {
        std::vector<std::string> bundleIDs;
        bool operator==(const Allow&) const = default;
    };
    struct NoRestriction {
        bool operator==(const NoRestriction&) const = default;
    };

    static VisibilityPlan allow(std::vector<std::string> bundleIDs) {
        return VisibilityPlan(Allow{std::move(bundleIDs)});
    }
    static VisibilityPlan noRestriction() { return VisibilityPlan(NoRestriction{}); }

    bool isNoRestriction() const { return std::holds_alternative<NoRestriction>(content_); }
    // The allowed bundle identifiers of an allow plan; null for no restriction.
    const std::vector<std::string>* allowedBundleIDs() const {
        auto* allow = std::get_if<Allow>(&content_);
        return allow != nullptr ? &allow->bundleIDs : nullptr;
    }

    // Same case; allow lists equal element by element. An allow plan never equals
    // no restriction, even with an empty list.
    bool operator==(const VisibilityPlan&) const = default;

    // "noRestriction" or "allow(a.one, b.two)".
    std::string description() const;

private:
    explicit VisibilityPlan(std::variant<Allow, NoRestriction> content) : content_(std::move(content)) {}

    std::variant<Allow, NoRestriction> content_;
};

} // namespace pellacor::core
