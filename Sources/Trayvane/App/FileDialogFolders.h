#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;

namespace pellacor::app {

// How the program's own file dialogs name the computer's folders: as the
// system writes them, not by where their files lie on this machine. The
// folder that stands for "/" (the one holding the Applications folder) is
// "/", so its Applications folder reads "/Applications"; the home folder is
// "~" in a path and its account name in the sidebar. A dialog shows only
// these places and never leaves them. Where the folders are the system's
// own ("/" and a home folder under it), the names are the ones it has.
struct FileDialogFolders {
    std::filesystem::path root;
    std::filesystem::path home;
    std::string homeName;

    // The path as the system writes it ("/Applications", "~/Library"); nothing
    // for a folder outside the root and the home, or for an empty one.
    std::optional<std::string> shownPath(const std::filesystem::path& folder) const;
    // The name of a place in the sidebar: the account name for the home, else
    // the last part of its shown path.
    std::optional<std::string> shownName(const std::filesystem::path& folder) const;

    // Offers `places` in the dialog's sidebar and names every place of the
    // sidebar and of the "look in" list as above, hiding those outside; a
    // dialog led outside goes back to the root. With no root and no home,
    // only the sidebar is set.
    void apply(QFileDialog& dialog, const std::vector<std::filesystem::path>& places) const;
};

} // namespace pellacor::app
