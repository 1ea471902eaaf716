#include "Trayvane/StatusItem/ControlClick.h"

#include "Platform/InputState.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using core::MenuBarState;
using Event = platform::StatusItem::ClickEvent;
using Kind = Event::Kind;

namespace {

constexpr auto shift = platform::InputState::shiftFlag;
constexpr auto control = platform::InputState::controlFlag;
constexpr auto option = platform::InputState::optionFlag;

TEST(ControlClickTest, Table) {
    const ControlClick toggle{ControlClick::Kind::toggle, false};
    const ControlClick toggleAll{ControlClick::Kind::toggle, true};
    const ControlClick menu{ControlClick::Kind::openMenu, false};
    const ControlClick guide{ControlClick::Kind::openPermissionGuide, false};
    struct Case {
        const char* name;
        std::optional<Event> event;
        std::uint64_t keyboard;
        MenuBarState state;
        ControlClick expected;
    };
    const Case cases[] = {
        {"plain click collapsed", Event{Kind::leftMouseUp, 0}, 0, MenuBarState::collapsed, toggle},
        {"plain click revealed", Event{Kind::leftMouseUp, 0}, 0, MenuBarState::revealed, toggle},
        {"option alone is plain", Event{Kind::leftMouseUp, option}, 0, MenuBarState::collapsed, toggle},
        {"shift in the event", Event{Kind::leftMouseUp, shift}, 0, MenuBarState::collapsed, toggleAll},
        {"shift held on the keyboard", Event{Kind::leftMouseUp, 0}, shift, MenuBarState::collapsed,
         toggleAll},
        {"control-click never toggles", Event{Kind::leftMouseUp, control}, 0, MenuBarState::collapsed, menu},
        {"control on the keyboard", Event{Kind::leftMouseDown, 0}, control, MenuBarState::revealed, menu},
        {"control wins over shift", Event{Kind::leftMouseUp, shift | control}, 0, MenuBarState::collapsed,
         menu},
        {"right click", Event{Kind::rightMouseUp, 0}, 0, MenuBarState::collapsed, menu},
        {"right mouse down", Event{Kind::rightMouseDown, shift}, 0, MenuBarState::revealed, menu},
        {"plain click needs permission", Event{Kind::leftMouseUp, 0}, 0, MenuBarState::needsPermission,
         guide},
        {"shift-click needs permission", Event{Kind::leftMouseUp, shift}, 0, MenuBarState::needsPermission,
         guide},
        {"right click needs permission", Event{Kind::rightMouseUp, 0}, 0, MenuBarState::needsPermission,
         menu},
        {"control-click needs permission", Event{Kind::leftMouseUp, control}, 0,
         MenuBarState::needsPermission, menu},
        {"plain click paused opens the menu", Event{Kind::leftMouseUp, 0}, 0, MenuBarState::paused, menu},
        {"shift-click paused opens the menu", Event{Kind::leftMouseUp, shift}, 0, MenuBarState::paused, menu},
        {"no current event", std::nullopt, shift, MenuBarState::collapsed, toggle},
        {"no current event, paused", std::nullopt, 0, MenuBarState::paused, menu},
        {"starting toggles", Event{Kind::leftMouseUp, 0}, 0, MenuBarState::starting, toggle},
        {"privacy override toggles", Event{Kind::leftMouseUp, shift}, 0, MenuBarState::privacyOverride,
         toggleAll},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ControlClick::decide(c.event, c.keyboard, c.state), c.expected);
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
