#pragma once

#include "Concurrency/Task.h"
#include "MenuBarSystem/Pressing/PressOutcome.h"
#include "MenuBarSystem/Pressing/PressTarget.h"
#include "MenuBarSystem/Pressing/SystemItemTarget.h"

namespace pellacor::system {

// Opens status items' menus on the user's behalf. Both calls run on the main
// executor and never fail other than through their outcome; cancelling the
// calling task stops the presser from trying further ways.
class ItemPressing {
public:
    virtual ~ItemPressing() = default;

    // Opens the menu of an ordinary status item.
    virtual concurrency::Task<PressOutcome> press(PressTarget target) = 0;
    // Opens the menu of a system-owned item by lifting the restriction for a moment.
    virtual concurrency::Task<PressOutcome> pressSystemItem(SystemItemTarget target) = 0;

protected:
    ItemPressing() = default;
    ItemPressing(const ItemPressing&) = default;
    ItemPressing& operator=(const ItemPressing&) = default;
};

} // namespace pellacor::system
