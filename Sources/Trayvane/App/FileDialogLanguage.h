#pragma once

class QFileDialog;

namespace pellacor::app {

// What a file dialog of the program's own drawing says of the files it lists,
// in the language Qt's words are in (`QtTranslations`): a folder's type is
// Qt's word for a folder, and a date is written as that language writes it.
// Qt itself writes both in the machine's own locale and words.
struct FileDialogLanguage {
    FileDialogLanguage() = delete;

    // Call once the dialog's options are set (it must draw its own widgets).
    static void apply(QFileDialog& dialog);
};

} // namespace pellacor::app
