#pragma once

#include <QPushButton>

namespace pellacor::app {

// A button that opens a menu of choices, at its natural size. The style draws
// the menu's arrow inside the button's right edge; without room of its own the
// arrow covers the label's last character, so the button asks for the arrow's
// width beside the label's.
class MenuButton final : public QPushButton {
    Q_OBJECT

public:
    MenuButton(const QString& text, const QString& identifier, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace pellacor::app
