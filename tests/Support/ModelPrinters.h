#pragma once

// Readable GoogleTest output for the model's values (found by argument-dependent lookup).

#include "MenuBarCore/Matching/IdentityName.h"
#include "MenuBarCore/Matching/ItemMatch.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Planning/VisibilityPlan.h"
#include "MenuBarCore/Support/DecodeResult.h"
#include "MenuBarCore/Support/Uuid.h"

#include <ostream>

namespace pellacor::core {

inline void PrintTo(const Uuid& id, std::ostream* os) {
    *os << id.uuidString();
}
inline void PrintTo(const AppKey& key, std::ostream* os) {
    *os << "AppKey(\"" << key.bundleID() << "\")";
}
inline void PrintTo(Section section, std::ostream* os) {
    *os << rawValue(section);
}
inline void PrintTo(MenuBarState state, std::ostream* os) {
    *os << rawValue(state);
}
inline void PrintTo(AppRule::Condition condition, std::ostream* os) {
    *os << rawValue(condition);
}
inline void PrintTo(const VisibilityPlan& plan, std::ostream* os) {
    *os << plan.description();
}
inline void PrintTo(const ItemSnapshot& snapshot, std::ostream* os) {
    *os << snapshot.description();
}
inline void PrintTo(const DecodeError& error, std::ostream* os) {
    *os << error.description();
}

inline void PrintTo(const IdentityName& name, std::ostream* os) {
    *os << name.description();
}
inline void PrintTo(const ItemMatch& match, std::ostream* os) {
    *os << "ItemMatch(" << match.snapshot.description() << " -> " << match.name.description()
        << (match.wasRenamed ? ", renamed" : "") << (match.isNew ? ", new" : "") << ")";
}
inline void PrintTo(const OrderPlanner::Key& key, std::ostream* os) {
    *os << "Key(\"" << key.bundleID << "\", \"" << key.name << "\")";
}
inline void PrintTo(OrderPlanner::Refusal refusal, std::ostream* os) {
    *os << (refusal == OrderPlanner::Refusal::noRoom ? "noRoom" : "noControl");
}

inline void PrintTo(const Profile& profile, std::ostream* os) {
    *os << "Profile(" << profile.id().uuidString() << ", \"" << profile.name << "\", {";
    const char* separator = "";
    for (const auto& [app, section] : profile.sections) {
        *os << separator << app.bundleID() << ": " << rawValue(section);
        separator = ", ";
    }
    *os << "}, [";
    separator = "";
    for (const auto& app : profile.order) {
        *os << separator << app.bundleID();
        separator = ", ";
    }
    *os << "], new: " << rawValue(profile.newItemSection) << ")";
}

inline void PrintTo(const AppRule& rule, std::ostream* os) {
    *os << "AppRule(" << rule.id().uuidString() << ", " << rule.appBundleID << ", "
        << rawValue(rule.condition) << ", " << rule.profileID.uuidString() << ")";
}

} // namespace pellacor::core
