#include "Trayvane/Panels/BelowBarCellFrames.h"

namespace pellacor::app {

std::optional<core::BelowBarEntry>
BelowBarCellFrames::entry(core::Point point, const std::vector<core::BelowBarEntry>& entries) const {
    for (const auto& candidate : entries) {
        const auto found = frames_.find(candidate.id());
        if (found != frames_.end() && found->second.contains(point)) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace pellacor::app
