#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Help/HelpDocument.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"
#include "Trayvane/Help/HelpPage.h"
#include "Trayvane/Help/HelpTopic.h"
#include "Trayvane/Windows/AuxiliaryWindowController.h"
#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include <QPoint>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QWidget;

namespace pellacor::app {

class HelpFindBar;
class HelpTextView;

// The help window: the contents on the left, the whole help text on the
// right. It is made on the first `show` and kept for the run (closing only
// hides it); every time it comes back on screen it reads the document again
// and is placed anew, while a window already on screen keeps its size,
// position, scroll position and selection. Main thread only.
class HelpWindow {
public:
    // Gives the help document, or nothing when there is none.
    using Loader = std::function<std::optional<core::HelpDocument>()>;
    // Where a point in top-down screen coordinates lies on the real screen.
    using ScreenMapping = AuxiliaryWindowServices::ScreenMapping;

    using Services = AuxiliaryWindowServices;

    static constexpr int width = 980;
    static constexpr int height = 720;
    static constexpr int contentsWidth = 320;
    // The contents list's one column.
    static constexpr double columnWidth = 300;

    // `loader` unset: the program's own help text (`bundled`). `localization`
    // names the language the topics' headings are looked up in.
    explicit HelpWindow(Services services, Loader loader = {},
                        std::string localization = systemLocalization());
    ~HelpWindow();
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    // Makes the window on first use; loads and places it when it is not on
    // screen; brings it to the front and, with a topic, jumps to its item.
    void show(std::optional<HelpTopic> topic = std::nullopt);
    // Hides the window when it is on screen; it is kept for the next show.
    void close() { window_.close(); }

    // The window, once built; its contents list and text.
    QWidget* window() const { return window_.window(); }
    QListWidget* contents() const { return contents_; }
    HelpTextView* text() const { return text_; }
    HelpFindBar* findBar() const { return find_; }
    // What the last load put on screen.
    const HelpPage& page() const { return page_; }

    // The resource folders to read the help text from, in order, for a
    // preferred localization ("ja" when none): English speakers fall back to
    // the Japanese text, everybody else reads only the Japanese text.
    static std::vector<std::string> helpFolders(const std::optional<std::string>& preferred);
    // The first of the user's languages, most preferred first, that the help
    // is written in ("en…" or "ja…", as written); "ja" when none is.
    static std::string preferredLocalization(const std::vector<std::string>& languages);
    // `preferredLocalization` of the system's user-interface languages.
    static std::string systemLocalization();
    // The first document with at least one item among `helpFolders` of the
    // preferred localization, under `root` (the program's resources unless
    // given); nothing when no folder has one.
    static std::optional<core::HelpDocument> bundled(const std::optional<std::string>& preferred,
                                                     const QString& root = QStringLiteral(":"));
    // The program's own help text for the system's languages.
    static std::optional<core::HelpDocument> bundled();

private:
    void build();
    void load();
    void fillContents();
    // Scrolls the text to a row's heading and puts the insertion point there.
    void jump(std::size_t row);
    // Selects the first item row titled `title` and jumps to it; false when none is.
    bool jump(const std::string& title);

    Loader loader_;
    std::string localization_;
    AuxiliaryWindowController window_;
    QListWidget* contents_ = nullptr;
    HelpTextView* text_ = nullptr;
    HelpFindBar* find_ = nullptr;
    HelpPage page_;
};

} // namespace pellacor::app
