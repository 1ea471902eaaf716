#include "MenuBarCore/Planning/VisibilityPlanner.h"

#include "MenuBarCore/Text/Text.h"

#include <algorithm>

namespace pellacor::core {

namespace {

struct AllowedSections {
    bool shown = false;
    bool hidden = false;

    bool contains(Section section) const {
        switch (section) {
        case Section::shown:
            return shown;
        case Section::hidden:
            return hidden;
        case Section::alwaysHidden:
            return false;
        }
        return false;
    }
};

} // namespace

VisibilityPlan VisibilityPlanner::plan(const VisibilityInput& input) {
    std::string self = Text::trimmed(input.selfBundleID);
    if (self.empty()) {
        return VisibilityPlan::noRestriction();
    }

    AllowedSections allowedSections;
    switch (input.state) {
    case MenuBarState::starting:
    case MenuBarState::needsPermission:
    case MenuBarState::paused:
    case MenuBarState::revealedAll:
    case MenuBarState::privacyOverride:
        return VisibilityPlan::noRestriction();
    case MenuBarState::collapsed:
        allowedSections = {.shown = true, .hidden = false};
        break;
    case MenuBarState::revealed:
        allowedSections = {.shown = true, .hidden = true};
        break;
    }
    if (input.temporarilyUnrestricted) {
        return VisibilityPlan::noRestriction();
    }

    const bool consultNotch = input.state == MenuBarState::collapsed;
    auto isAllowed = [&](const AppKey& app, Section section) {
        if (app.isApple()) {
            return true;
        }
        if (!allowedSections.contains(section)) {
            return false;
        }
        return !(consultNotch && input.notchOverflow.contains(app));
    };

    // An application can be both an owner and in the profile; the sort below
    // drops the repeat, so each candidate is simply judged wherever it appears.
    // The identifiers are gathered by address and copied once, after the sort.
    std::vector<const std::string*> allowed;
    allowed.reserve(input.currentOwners.size() + input.profile.sections.size() +
                    input.temporarilyShown.size() + 1);
    for (const auto& owner : input.currentOwners) {
        if (isAllowed(owner, input.profile.section(owner))) {
            allowed.push_back(&owner.bundleID());
        }
    }
    for (const auto& [app, section] : input.profile.sections) {
        if (isAllowed(app, section)) {
            allowed.push_back(&app.bundleID());
        }
    }
    for (const auto& app : input.temporarilyShown) {
        if (!app.bundleID().empty()) {
            allowed.push_back(&app.bundleID());
        }
    }
    allowed.push_back(&self);

    auto byText = [](const std::string* a, const std::string* b) { return *a < *b; };
    auto sameText = [](const std::string* a, const std::string* b) { return *a == *b; };
    std::sort(allowed.begin(), allowed.end(), byText);
    allowed.erase(std::unique(allowed.begin(), allowed.end(), sameText), allowed.end());

    std::vector<std::string> bundleIDs;
    bundleIDs.reserve(allowed.size());
    for (const auto* bundleID : allowed) {
        bundleIDs.push_back(*bundleID);
    }
    return VisibilityPlan::allow(std::move(bundleIDs));
}

} // namespace pellacor::core
