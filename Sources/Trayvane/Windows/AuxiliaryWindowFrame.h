#pragma once

#include <QWidget>
#include <functional>

namespace pellacor::app {

// The top-level widget of every auxiliary window (settings, help, About, the
// notices, the permission guide): a plain window kept for the run, so closing
// only hides it, and none of them is what ends the program. It tells when it
// is hidden, however that came about (its close button, the close command,
// the program), so its entry in the window list goes with it. A window that
// needs more of its events tells them from a subclass.
class AuxiliaryWindowFrame : public QWidget {
    Q_OBJECT

public:
    explicit AuxiliaryWindowFrame(QWidget* parent = nullptr);

    std::function<void()> onHidden;

protected:
    void hideEvent(QHideEvent* event) override;
};

} // namespace pellacor::app
