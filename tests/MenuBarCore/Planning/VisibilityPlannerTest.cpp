#include "MenuBarCore/Planning/VisibilityPlanner.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Support/ModelPrinters.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const std::string self(bundleIdentifier);

std::vector<AppKey> keys(std::initializer_list<const char*> ids) {
    std::vector<AppKey> out;
    for (auto id : ids) {
        out.emplace_back(id);
    }
    return out;
}

std::set<AppKey> keySet(std::initializer_list<const char*> ids) {
    auto list = keys(ids);
    return {list.begin(), list.end()};
}

// A profile with one application per section, an Apple application the user
// could never have put anywhere, and a shown application that is not running.
VisibilityInput baseInput(MenuBarState state) {
    Profile profile(Uuid::random(), "ふだん",
                    {{AppKey("com.example.shown"), Section::shown},
                     {AppKey("com.example.hidden"), Section::hidden},
                     {AppKey("com.example.always"), Section::alwaysHidden},
                     {AppKey("com.example.notrunning"), Section::shown},
                     {AppKey("com.apple.finder"), Section::alwaysHidden}},
                    {}, Section::hidden);
    return VisibilityInput{
        .state = state,
        .profile = std::move(profile),
        .currentOwners =
            keys({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.applesoft.tool",
                  "com.example.always", "com.example.hidden", "com.example.new", "com.example.shown"}),
        .notchOverflow = {},
        .temporarilyShown = {},
        .temporarilyUnrestricted = false,
        .selfBundleID = self,
    };
}

VisibilityPlan allow(std::vector<std::string> ids) {
    return VisibilityPlan::allow(std::move(ids));
}

struct Case {
    std::string name;
    MenuBarState state;
    std::function<void(VisibilityInput&)> change;
    VisibilityPlan expected;
};

} // namespace

TEST(VisibilityPlannerTest, PlansEveryStateAndItsExceptions) {
    auto none = [](VisibilityInput&) {};
    const auto collapsedList = allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder",
                                      "com.example.notrunning", "com.example.shown"});
    const std::vector<Case> cases{
        {"starting", MenuBarState::starting, none, VisibilityPlan::noRestriction()},
        {"needsPermission", MenuBarState::needsPermission, none, VisibilityPlan::noRestriction()},
        {"paused", MenuBarState::paused, none, VisibilityPlan::noRestriction()},
        {"revealedAll", MenuBarState::revealedAll, none, VisibilityPlan::noRestriction()},
        {"privacyOverride", MenuBarState::privacyOverride, none, VisibilityPlan::noRestriction()},
        {"collapsed: shown, Apple and self; new owners take the hidden new-item section",
         MenuBarState::collapsed, none, collapsedList},
        {"revealed: shown and hidden, new owners included", MenuBarState::revealed, none,
         allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.applesoft.tool",
                "com.example.hidden", "com.example.new", "com.example.notrunning", "com.example.shown"})},
        {"collapsed with a shown new-item section", MenuBarState::collapsed,
         [](VisibilityInput& in) { in.profile.newItemSection = Section::shown; },
         allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.applesoft.tool",
                "com.example.new", "com.example.notrunning", "com.example.shown"})},
        {"revealed with an always-hidden new-item section", MenuBarState::revealed,
         [](VisibilityInput& in) { in.profile.newItemSection = Section::alwaysHidden; },
         allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.example.hidden",
                "com.example.notrunning", "com.example.shown"})},
        {"collapsed: notch overflow leaves out shown applications but never Apple ones",
         MenuBarState::collapsed,
         [](VisibilityInput& in) {
             in.notchOverflow = keySet({"com.example.shown", "com.apple.finder"});
         },
         allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.example.notrunning"})},
        {"revealed: notch overflow is not consulted", MenuBarState::revealed,
         [](VisibilityInput& in) {
             in.notchOverflow = keySet({"com.example.shown", "com.example.hidden", "com.example.notrunning"});
         },
         allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.applesoft.tool",
                "com.example.hidden", "com.example.new", "com.example.notrunning", "com.example.shown"})},
        {"collapsed: temporarily shown applications whatever their section, overflow or presence",
         MenuBarState::collapsed,
         [](VisibilityInput& in) {
             in.temporarilyShown = keySet(
                 {"com.example.always", "com.example.hidden", "com.example.shown", "org.elsewhere.app", ""});
             in.notchOverflow = keySet({"com.example.shown"});
         },
         allow({"app.trayvane.pellacor", "com.apple.clock", "com.apple.finder", "com.example.always",
                "com.example.hidden", "com.example.notrunning", "com.example.shown", "org.elsewhere.app"})},
        {"collapsed during a temporary lift", MenuBarState::collapsed,
         [](VisibilityInput& in) { in.temporarilyUnrestricted = true; }, VisibilityPlan::noRestriction()},
        {"revealed during a temporary lift", MenuBarState::revealed,
         [](VisibilityInput& in) { in.temporarilyUnrestricted = true; }, VisibilityPlan::noRestriction()},
        {"a lift does not matter when nothing is restricted anyway", MenuBarState::paused,
         [](VisibilityInput& in) { in.temporarilyUnrestricted = true; }, VisibilityPlan::noRestriction()},
        {"blank own identifier in collapsed", MenuBarState::collapsed,
         [](VisibilityInput& in) { in.selfBundleID = " \t\n\u2028\u3000"; }, VisibilityPlan::noRestriction()},
        {"blank own identifier in revealed", MenuBarState::revealed,
         [](VisibilityInput& in) { in.selfBundleID = ""; }, VisibilityPlan::noRestriction()},
        {"own identifier is listed trimmed", MenuBarState::collapsed,
         [](VisibilityInput& in) {
             in.selfBundleID = "\n  app.trayvane.pellacor \t";
             in.currentOwners = keys({"com.example.shown"});
         },
         allow({"app.trayvane.pellacor", "com.apple.finder", "com.example.notrunning", "com.example.shown"})},
        {"own application listed once although owner, shown and temporarily shown", MenuBarState::collapsed,
         [](VisibilityInput& in) {
             in.profile.sections.emplace(AppKey(self), Section::shown);
             in.temporarilyShown = keySet({"app.trayvane.pellacor"});
         },
         collapsedList},
        {"own application allowed even when the profile hides it", MenuBarState::collapsed,
         [](VisibilityInput& in) { in.profile.sections.emplace(AppKey(self), Section::alwaysHidden); },
         collapsedList},
        {"other identifiers are used untrimmed", MenuBarState::collapsed,
         [](VisibilityInput& in) {
             in.profile = Profile(Uuid::random(), "x", {{AppKey(" com.example.padded"), Section::shown}}, {},
                                  Section::alwaysHidden);
             in.currentOwners = keys({" com.example.padded", "com.apple.clock "});
         },
         allow({" com.example.padded", "app.trayvane.pellacor", "com.apple.clock "})},
        {"sorted by code point: upper case first, a prefix before its extensions", MenuBarState::collapsed,
         [](VisibilityInput& in) {
             in.selfBundleID = "m.self";
             in.profile = Profile(Uuid::random(), "x", {}, {}, Section::shown);
             in.currentOwners = keys({"b.two", "com.apple.x", "a.one.more", "a.one", "B.upper", "b.two"});
         },
         allow({"B.upper", "a.one", "a.one.more", "b.two", "com.apple.x", "m.self"})},
    };
    for (const auto& c : cases) {
        auto input = baseInput(c.state);
        c.change(input);
        EXPECT_EQ(VisibilityPlanner::plan(input), c.expected) << c.name;
    }
}

TEST(VisibilityPlannerTest, AnAllowListAlwaysHoldsTheProgramInEveryRestrictingState) {
    for (auto state : allMenuBarStates) {
        auto input = baseInput(state);
        input.currentOwners.clear();
        input.profile.sections.clear();
        auto plan = VisibilityPlanner::plan(input);
        bool restricting = state == MenuBarState::collapsed || state == MenuBarState::revealed;
        ASSERT_EQ(plan.isNoRestriction(), !restricting) << toString(state);
        if (restricting) {
            EXPECT_EQ(plan, allow({self})) << toString(state);
        }
    }
}

TEST(VisibilityPlanTest, EqualityGoesByCaseAndListInOrder) {
    EXPECT_EQ(VisibilityPlan::noRestriction(), VisibilityPlan::noRestriction());
    EXPECT_NE(allow({}), VisibilityPlan::noRestriction());
    EXPECT_EQ(allow({"a", "b"}), allow({"a", "b"}));
    EXPECT_NE(allow({"a", "b"}), allow({"b", "a"}));
    EXPECT_NE(allow({"a"}), allow({"a", "a"}));
    EXPECT_EQ(allow({"a", "b"}).description(), "allow(a, b)");
    EXPECT_EQ(VisibilityPlan::noRestriction().description(), "noRestriction");
    EXPECT_EQ(VisibilityPlan::noRestriction().allowedBundleIDs(), nullptr);
}

} // namespace PELLACOR_TEST_FILE
