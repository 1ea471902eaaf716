#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/Accessibility.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace pellacor::platform {

// The accessibility interface over the simulated desktop. Every running
// application has an application element ("AXRole" "AXApplication"); one with
// status items has an extras menu bar ("AXExtrasMenuBar", role "AXMenuBar")
// whose "AXChildren" are its items in their own order. An item answers
// "AXRole", "AXIdentifier", "AXDescription", "AXTitle" (no value when it has
// none), "AXPosition" and "AXSize" (top-down coordinates, as the bar lays the
// item out; an item that is not on the bar stands at `offBarPosition`),
// "AXParent" and "AXChildren". An item whose role is "AXGroup" answers no texts
// and has one child, an "AXMenuBarItem" with the item's texts and frame.
// Anything else is unsupported.
//
// Actions: an item offers its behaviour's actions, a group's inner item offers
// "AXPress", the application and its extras menu bar offer none. Performing
// "AXPress" presses the item on the desktop (SimulatedDesktop::pressItem)
// unless the behaviour answers it with an error other than `cannotComplete`;
// a press that answers too late still reaches the item, once its latency has
// passed.
//
// Before it answers, an element takes its behaviour's latency (the application's
// for the application element and the extras menu bar, the item's for the item
// and its inner item). When that is longer than the element's messaging
// time-out, the message spends the time-out and fails with `cannotComplete`. The
// time is spent through `Spend`, so tests can let it pass on a virtual clock.
// An element of an application that has stopped, or an item that is gone, is
// invalid.
//
// The system-wide element ("AXRole" "AXSystemWide") answers the element at a
// point (top-down), front to back: an on-screen window above the menu bar's
// layer 24 ("AXMenu" for a pop-up menu, layer 101, else "AXWindow"); the item
// on the bar (for a group, its inner item); the bare menu-bar strip of the
// screen ("AXMenuBar", belonging to the active application, or to no process,
// 0, when none is active); a window at or below the bar's layer; else nothing
// (`noValue`). An application's element answers only what belongs to it. These
// elements answer "AXRole" and nothing else. A hit takes the latency of the
// item, or of the window's application; the bare strip answers at once.
//
// Thread-safe.
class SimulatedAccessibility final : public Accessibility {
public:
    // Lets the given time pass for the caller.
    using Spend = std::function<void(std::chrono::nanoseconds)>;

    // Far outside every screen, so no screen's menu bar contains it.
    static constexpr core::Point offBarPosition{-20000, -20000};

    explicit SimulatedAccessibility(std::shared_ptr<SimulatedDesktop> desktop, bool trusted = true,
                                    Spend spend = realSleep());

    // Sleeps for real: the program's way of spending latency.
    static Spend realSleep();

    void setTrusted(bool trusted);
    void setSpend(Spend spend);

    bool isProcessTrusted() override;
    AccessibilityElement createApplication(std::int32_t processIdentifier) override;
    AccessibilityElement createSystemWide() override;
    ElementResult copyElementAtPosition(const AccessibilityElement& element, float x, float y) override;
    ProcessResult getPid(const AccessibilityElement& element) override;
    // An application, its extras menu bar, an item and a group's inner item are
    // equal to every element made for the same one; the system-wide element to
    // every system-wide element; a hit strip, menu or window only to itself.
    bool isEqual(const AccessibilityElement& first, const AccessibilityElement& second) override;
    std::int32_t setMessagingTimeout(const AccessibilityElement& element, float seconds) override;
    CopyResult copyAttributeValue(const AccessibilityElement& element, std::string_view attribute) override;
    CopyResult copyActionNames(const AccessibilityElement& element) override;
    std::int32_t performAction(const AccessibilityElement& element, std::string_view action) override;

private:
    // False (after spending the time-out) when the answer would come too late.
    bool answersInTime(std::chrono::milliseconds latency, float timeout) const;

    std::shared_ptr<SimulatedDesktop> desktop_;
    std::atomic<bool> trusted_;
    mutable std::mutex mutex_;
    Spend spend_;
};

} // namespace pellacor::platform
