#pragma once

#include <QAbstractButton>
#include <functional>

class QLabel;

namespace pellacor::app {

class SymbolView;

// A check box of the settings pages that never flips by itself: it shows the
// state its owner gives it, and a click only asks for the opposite through
// `onRequest`. The box changes once the owner, having stored the new value,
// sets it. The whole row, the gap between mark and label included, takes the
// click. Main thread only.
class SettingsCheckBox final : public QAbstractButton {
    Q_OBJECT

public:
    SettingsCheckBox(const QString& label, QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);
    // The mark's symbol now: "checkmark.square.fill" or "square".
    const std::string& symbol() const;

    // Called with the wanted state, the negation of the one shown.
    std::function<void(bool)> onRequest;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showState();

    bool on_ = false;
    SymbolView* mark_ = nullptr;
    QLabel* label_ = nullptr;
};

} // namespace pellacor::app
