#include "Trayvane/StatusItem/UserSwitcherLook.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using pellacor::app::UserSwitcherLook;

TEST(UserSwitcherLookTest, AMeasuredWidthDecidesBetweenIconAndNameElseTheStyleDoes) {
    const struct {
        std::optional<std::int64_t> style;
        std::optional<double> width;
        UserSwitcherLook look;
    } cases[] = {
        // A measured width overrides a style that says icon, and the other way round.
        {2, 24, UserSwitcherLook::icon},
        {2, 80, UserSwitcherLook::fullName},
        {1, 80, UserSwitcherLook::accountName},
        {0, 24, UserSwitcherLook::icon},
        {std::nullopt, 80, UserSwitcherLook::fullName},
        {7, 80, UserSwitcherLook::fullName},
        // The limit: below 30 points is an icon.
        {1, 29.9, UserSwitcherLook::icon},
        {1, 30, UserSwitcherLook::accountName},
        // No usable width: the style alone, unknown meaning icon.
        {std::nullopt, std::nullopt, UserSwitcherLook::icon},
        {0, 0, UserSwitcherLook::fullName},
        {2, std::nullopt, UserSwitcherLook::icon},
        {1, -5, UserSwitcherLook::accountName},
        {std::nullopt, 0, UserSwitcherLook::icon},
        {7, std::nullopt, UserSwitcherLook::fullName},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserSwitcherLook::from(c.style, c.width), c.look)
            << "style " << (c.style ? std::to_string(*c.style) : "none") << ", width "
            << (c.width ? std::to_string(*c.width) : "none") << " gave "
            << UserSwitcherLook::from(c.style, c.width).name();
    }
}

} // namespace PELLACOR_TEST_FILE
