#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/StatusBar.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::platform {

class PreferencesDomain;
class SimulatedDesktop;
class SimulatedInput;
class SimulatedProgramStatusItem;

// The simulated system status bar. Its thickness is a setting of the simulated
// system, 24 points unless changed, whatever the screens' menu-bar strips are.
// The program's status items become the status items of the program's own
// process on the desktop (the running application with the program's bundle
// identifier), in the order they were made, the hidden ones left out, so the
// bar places, restricts and folds them like anyone's and accessibility reads
// them. An item the layout table does not position stands where
// "NSStatusItem Preferred Position <autosave name>" of the program's own
// preference domain says. A press of one of them on the desktop reaches its
// action as a mouse-up click with the input's modifier flags.
class SimulatedStatusBar final : public StatusBar, public std::enable_shared_from_this<SimulatedStatusBar> {
public:
    static constexpr double defaultThickness = 24;
    // Where the windows of the program's buttons are numbered from (they are not
    // in the window list, as the system's status-bar windows are not).
    static constexpr std::uint32_t firstButtonWindowNumber = 0x4000'0000;

    static std::shared_ptr<SimulatedStatusBar> create(std::shared_ptr<SimulatedDesktop> desktop,
                                                      std::shared_ptr<SimulatedInput> input,
                                                      std::shared_ptr<PreferencesDomain> preferences,
                                                      std::string bundleIdentifier);
    ~SimulatedStatusBar() override;

    // The file of a bundle's preference domain under a home folder.
    static std::filesystem::path domainFile(const std::filesystem::path& home,
                                            const std::string& bundleIdentifier);
    static std::string preferredPositionKey(const std::string& autosaveName);

    double thickness() const override { return thickness_; }
    void setThickness(double thickness) { thickness_ = thickness; }

    std::shared_ptr<StatusItem> statusItem(double length) override;
    void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;

    // Puts the program's items on the desktop as they stand now.
    void publish();
    // The frame (top-down) of an item on the bar; nothing when it is not there.
    std::optional<core::Rect> frameOf(const SimulatedProgramStatusItem& item) const;
    // Its button window's frame in screen coordinates; beyond the screen's left
    // edge while it is off the bar.
    core::Rect screenFrameOf(const SimulatedProgramStatusItem& item) const;

private:
    SimulatedStatusBar(std::shared_ptr<SimulatedDesktop> desktop, std::shared_ptr<SimulatedInput> input,
                       std::shared_ptr<PreferencesDomain> preferences, std::string bundleIdentifier);
    void pressed(std::int32_t processIdentifier, std::size_t index, std::uint32_t button);

    std::shared_ptr<SimulatedDesktop> desktop_;
    std::shared_ptr<SimulatedInput> input_;
    std::shared_ptr<PreferencesDomain> preferences_;
    std::string bundleIdentifier_;
    std::atomic<double> thickness_{defaultThickness};
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<SimulatedProgramStatusItem>> items_;
    // The items as last put on the desktop, by their index among the process's items.
    std::vector<std::weak_ptr<SimulatedProgramStatusItem>> published_;
    std::uint32_t nextWindowNumber_ = firstButtonWindowNumber;
};

} // namespace pellacor::platform
