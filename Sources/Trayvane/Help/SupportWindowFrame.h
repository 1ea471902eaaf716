#pragma once

#include <QWidget>
#include <functional>

namespace pellacor::app {

// The top-level window of the help and About windows: a plain window that
// tells when it is hidden, however that came about (its close button, the
// close command, the program), so its entry in the window list goes with it.
class SupportWindowFrame final : public QWidget {
    Q_OBJECT

public:
    explicit SupportWindowFrame(QWidget* parent = nullptr);

    std::function<void()> onHidden;

protected:
    void hideEvent(QHideEvent* event) override;
};

} // namespace pellacor::app
