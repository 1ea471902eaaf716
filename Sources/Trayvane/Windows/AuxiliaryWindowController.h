#pragma once

#include "Trayvane/Windows/AuxiliaryWindowFrame.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"
#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include <concepts>
#include <memory>
#include <utility>

class QWidget;

namespace pellacor::app {

class ListedPanel;

// What the controllers of the auxiliary windows (settings, help, About, the
// notices, the permission guide) share: the desktop's services, the window's
// frame once built, and its entry in the window list (when there is a window
// list), withdrawn whenever the frame is hidden. The window is built on first
// use and kept for the run; each time it comes back on screen it is placed by
// its rule on the screen under the pointer, while a window on screen stays
// where it is.
//
// A controller holds one as a member, declared after whatever the window's
// content refers to (its models, its navigation), so that the window goes
// before those when the controller does; a base class would outlive them.
// Main thread only.
class AuxiliaryWindowController {
public:
    // Services without a mapping map points one to one. With `takeSize` the
    // window also takes the size its rule shrinks it to.
    AuxiliaryWindowController(AuxiliaryWindowServices services, AuxiliaryWindowPlacement placement,
                              bool takeSize = false);
    ~AuxiliaryWindowController();
    AuxiliaryWindowController(const AuxiliaryWindowController&) = delete;
    AuxiliaryWindowController& operator=(const AuxiliaryWindowController&) = delete;

    const AuxiliaryWindowServices& services() const { return services_; }

    // Makes the window's frame, its hiding wired to the window list; once.
    template <std::derived_from<AuxiliaryWindowFrame> Frame, typename... Arguments>
    Frame& build(Arguments&&... arguments) {
        auto frame = std::make_unique<Frame>(std::forward<Arguments>(arguments)...);
        Frame& built = *frame;
        adopt(std::move(frame));
        return built;
    }

    bool isBuilt() const { return frame_ != nullptr; }
    // The window, once built; nothing before.
    QWidget* window() const { return frame_.get(); }
    // The window as the frame it was built as; nothing before.
    template <std::derived_from<AuxiliaryWindowFrame> Frame> Frame* frame() const {
        return static_cast<Frame*>(frame_.get());
    }
    bool isVisible() const;
    // The window's entry in the window list; nothing without a window list.
    ListedPanel* listed() const { return listed_.get(); }

    // Places the built window unless it is on screen (entering it in the
    // window list), then shows it, raises it and makes it active.
    void present();
    // Hides the window when it is on screen; whether it did.
    bool close();

private:
    void adopt(std::unique_ptr<AuxiliaryWindowFrame> frame);

    AuxiliaryWindowServices services_;
    AuxiliaryWindowPlacement placement_;
    bool takeSize_;
    std::unique_ptr<AuxiliaryWindowFrame> frame_;
    // Withdrawn (when this goes) before the frame goes.
    std::unique_ptr<ListedPanel> listed_;
};

} // namespace pellacor::app
