#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QLabel;
class QVBoxLayout;

namespace pellacor::app {

class AppButton;

// A sheet or dialog over one of the program's windows hands the keyboard back
// when it closes: the window it stood on is active again, and the control that
// had the focus when it opened has it again (the window's own choice when that
// control is gone, hidden or disabled), so keys and the window's shortcuts work
// at once, without a click. A desktop without a window manager activates no
// window by itself. Call it just before the dialog is opened; a dialog without
// a parent is left alone. Every `Sheet` does it by itself.
void returnFocusOnClose(QDialog& sheet);

// Brings a dialog just opened to the front and gives what takes it away again
// while it is still up, without an answer: whatever its `finished` would have
// told is not told. Once the dialog is gone that does nothing.
std::function<void()> frontAndDismissal(QDialog& dialog);

// A sheet of the program: a dialog modal to the window it stands on, in the
// body font, of a fixed width and as high as its content needs, its content
// stacked top-left inside an even margin. Opening it (`open`) is what hands
// the keyboard back when it closes. Main thread only.
class Sheet : public QDialog {
public:
    // The margin around a sheet's content.
    static constexpr int padding = 20;

    // `identifier` is its accessibility identifier (its objectName).
    Sheet(const char* identifier, int width, QWidget* parent);

    // Opens it as a sheet, the focus to come back when it closes.
    void open() override;

protected:
    // Makes the sheet's one layout, its rows `spacing` apart.
    QVBoxLayout* makeStack(int spacing);
    QVBoxLayout* stack() const { return stack_; }
    // Takes the height the content needs at the sheet's width.
    void fitHeight();
    // The row of buttons at the bottom: "キャンセル" (`cancelName`), which
    // rejects the sheet as Escape does, then the confirming one, returned for
    // the sheet to connect. A default confirming button is pressed by Return
    // and nothing else, wherever the focus is; otherwise Return presses none.
    AppButton* addButtons(const QString& cancelName, const std::string& confirmText,
                          const QString& confirmName, bool confirmIsDefault);
    // The line that says why a commit failed, hidden until `showProblem`.
    void addProblemText(const QString& name);
    // Shows `problem` in the error colour and takes the height it needs.
    void showProblem(const std::string& problem);

private:
    int width_;
    QVBoxLayout* stack_ = nullptr;
    QLabel* problemText_ = nullptr;
};

} // namespace pellacor::app
