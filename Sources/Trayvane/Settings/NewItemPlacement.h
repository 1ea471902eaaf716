#pragma once

#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Support/Subscription.h"

#include <QWidget>
#include <array>

class QPushButton;

namespace pellacor::app {

class SectionsModel;

// Under the bands: which section applications seen for the first time go
// to, as three radio-style choices. The mark follows the active profile (so a
// profile switch moves it), never the click: a click only asks the model.
class NewItemPlacement final : public QWidget {
    Q_OBJECT

public:
    explicit NewItemPlacement(SectionsModel& model, QWidget* parent = nullptr);

    // "newItem:" and the section's raw value.
    QPushButton& choice(core::Section section) const;
    // The section whose choice carries the mark.
    core::Section chosen() const { return chosen_; }

private:
    void showChoice();

    SectionsModel& model_;
    core::Subscription changes_;
    std::array<QPushButton*, 3> choices_{};
    core::Section chosen_ = core::Section::hidden;
    bool shown_ = false;
};

} // namespace pellacor::app
