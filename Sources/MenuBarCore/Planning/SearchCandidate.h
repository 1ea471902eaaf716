#pragma once

#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"

namespace pellacor::core {

// A row of the search panel: a pressable item and its application's section.
struct SearchCandidate {
    BelowBarEntry entry;
    Section section = Section::shown;

    std::string id() const { return entry.id(); }
    bool operator==(const SearchCandidate&) const = default;
};

} // namespace pellacor::core

template <> struct std::hash<pellacor::core::SearchCandidate> {
    std::size_t operator()(const pellacor::core::SearchCandidate& c) const noexcept {
        return std::hash<pellacor::core::BelowBarEntry>{}(c.entry) * 31 + static_cast<std::size_t>(c.section);
    }
};
