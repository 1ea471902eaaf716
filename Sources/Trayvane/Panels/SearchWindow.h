#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/SearchWindowing.h"
#include "Trayvane/Windows/ListedPanel.h"

#include <QPoint>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::app {

class SearchPanel;
class SearchView;

// The search panel's window owner: makes the panel on the first `present`
// and keeps it; builds the content afresh over the model on every `present`;
// centres it on the screen under the pointer with its top 20 % of the
// screen's height below the screen's top; makes it the key window; and
// reports "Esc" or "ほかを押した" while it is presented, never after
// `dismiss`. While shown the panel is a window of the program's process in
// the window list. Main thread only.
class SearchWindow final : public SearchWindowing {
public:
    struct Services {
        std::shared_ptr<platform::Screens> screens;
        std::shared_ptr<platform::InputState> input;
        std::shared_ptr<platform::ProgramWindows> programWindows;
        std::shared_ptr<IconStore> icons;
        // Where a top-down point of the screens (origin at the first screen's
        // top left, y down) lies on the real screen; the identity unless set.
        std::function<QPoint(core::Point)> place;
    };

    // How long `present` waits for the window system to make the panel the
    // active window.
    static constexpr std::chrono::milliseconds activationWait{500};

    explicit SearchWindow(Services services);
    ~SearchWindow() override;
    SearchWindow(const SearchWindow&) = delete;
    SearchWindow& operator=(const SearchWindow&) = delete;

    bool present(std::shared_ptr<SearchModel> model) override;
    void dismiss() override;
    std::string frameDescription() const override;

    // The panel's frame for its size on a screen (screen coordinates, origin
    // bottom left, y up): centred horizontally, its top edge 20 % of the
    // screen's height below the screen's top, but never left of the screen's
    // left edge or below its bottom edge.
    static core::Rect placement(core::Size size, const core::Rect& screen);

    // The window and its content, once made.
    SearchPanel* panel() const { return panel_.get(); }
    SearchView* view() const { return view_; }
    bool isPresenting() const { return presenting_; }
    // The panel's frame (screen coordinates); the zero rectangle before it was first placed.
    const core::Rect& frame() const { return frame_; }

private:
    void makePanel();
    void place(core::Size size);
    bool activate();
    void announce();

    Services services_;
    std::unique_ptr<SearchPanel> panel_;
    SearchView* view_ = nullptr;
    bool presenting_ = false;
    core::Rect frame_{0, 0, 0, 0};
    ListedPanel listed_;
};

} // namespace pellacor::app
