#pragma once

#include "Platform/FileManager.h"
#include "Trayvane/App/FileDialogFolders.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace pellacor::app {

// The open panel through which the user grants the program the menu bar's
// layout folder once: it opens in that folder, offers folders only and shows
// hidden ones. Choosing a folder with the panel's button is the grant; what
// the program makes of the choice is the application delegate's.
class LayoutFolderPanel {
public:
    // The panel's accessibility identifier.
    static constexpr const char* identifier = "layout-folder-panel";

    struct Request {
        std::string message;
        std::string prompt;
        std::filesystem::path directory;
    };
    // The folder chosen with the prompt button; nothing when the panel was
    // cancelled or gave no folder.
    using Completion = std::function<void(std::optional<std::filesystem::path>)>;
    // Takes a panel that is still up away without a completion; empty when
    // there is nothing to take away.
    using Dismiss = std::function<void()>;
    // Opens one panel and returns at once: as a sheet on `sheetParent` when
    // one is given, else modal to the whole program. The completion comes on
    // a later turn, when the user ends the panel; no event loop of its own
    // runs meanwhile, so nothing up the caller's stack is held while it is up.
    using Runner = std::function<Dismiss(const Request&, QWidget* sheetParent, Completion)>;

    LayoutFolderPanel() = delete;

    // The real panel, a file dialog of the program's own drawing (so it runs
    // on any display); a folder chosen in it is granted through `files`. Its
    // folders are named by `folders`.
    static Runner fileDialog(std::shared_ptr<platform::FileManager> files, FileDialogFolders folders = {});
};

} // namespace pellacor::app
