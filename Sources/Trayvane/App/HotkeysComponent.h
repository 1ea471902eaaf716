#pragma once

#include <memory>
#include <optional>
#include <string>

namespace pellacor::platform {
class HotkeyManager;
} // namespace pellacor::platform

namespace pellacor::coordinator {
class Coordinator;
} // namespace pellacor::coordinator

namespace pellacor::system {
class HotkeyCenter;
class HotkeyProblem;
struct Hotkey;
} // namespace pellacor::system

namespace pellacor::app {

class ControlItem;
class PanelsComponent;

// The two global hot keys: reveal toggles the bar, search opens the search
// panel with every item or closes it. Registered once every callback is
// connected; a problem is logged and, for reveal, shown in the control
// item's menu. `takeDown` unregisters both, the last step of termination,
// after the engine has lifted its restriction. The keys' actions hold the
// coordinator and the panels weakly. Main thread.
class HotkeysComponent {
public:
    HotkeysComponent(std::shared_ptr<platform::HotkeyManager> manager,
                     const std::weak_ptr<coordinator::Coordinator>& coordinator,
                     std::weak_ptr<PanelsComponent> panels, ControlItem& control);
    ~HotkeysComponent();
    HotkeysComponent(const HotkeysComponent&) = delete;
    HotkeysComponent& operator=(const HotkeysComponent&) = delete;

    void takeDown();
    system::HotkeyCenter& center() const { return *center_; }

    // The hot-key note for a registration's outcome: nothing when it was
    // registered, else what the control item's menu says about it.
    static std::optional<std::string> hotkeyNote(const system::Hotkey& hotkey,
                                                 const std::optional<system::HotkeyProblem>& problem);

private:
    std::unique_ptr<system::HotkeyCenter> center_;
};

} // namespace pellacor::app
