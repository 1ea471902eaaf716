#include "Trayvane/Settings/NewItemPlacement.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Common/SectionText.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

namespace {

// A filled ring for the chosen section, a plain circle for the others.
QIcon mark(bool chosen) {
    constexpr double ratio = 2;
    QPixmap picture(static_cast<int>(16 * ratio), static_cast<int>(16 * ratio));
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (chosen) {
        const QColor accent = PanelColor::controlAccent.resolved();
        painter.setPen(QPen(accent, 1.5));
        painter.drawEllipse(QRectF(1.25, 1.25, 13.5, 13.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        painter.drawEllipse(QRectF(4, 4, 8, 8));
    } else {
        painter.setPen(QPen(AppColor::secondaryText.resolved(), 1.2));
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    }
    return QIcon(picture);
}

} // namespace

NewItemPlacement::NewItemPlacement(SectionsModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("sections:newItem");
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(8);
    stack->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QLabel(qtText(localized("新しいアイコンの置き場所")), this);
    appHeading(*heading);
    auto* explanation =
        new QLabel(qtText(localized("初めて見るアプリのアイコンを、どの置き場所に入れるかを選びます。"
                                    "もう並んでいるアプリは動きません。")),
                   this);
    explanation->setWordWrap(true);
    appSecondary(*explanation);
    stack->addWidget(heading);
    stack->addWidget(explanation);
    for (std::size_t i = 0; i < core::allSections.size(); ++i) {
        const core::Section section = core::allSections[i];
        auto* button = new QPushButton(qtTitle(SectionText::title(section)), this);
        button->setObjectName(qtText("newItem:" + std::string(core::rawValue(section))));
        button->setFlat(true);
        button->setFont(AppFont::body());
        button->setAutoDefault(false);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(
            QStringLiteral("QPushButton { border: none; padding: 2px 0; text-align: left; }"));
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        // Picking the chosen section again is asked too; the model ignores it.
        connect(button, &QPushButton::clicked, this, [this, section] { model_.setNewItemSection(section); });
        choices_[i] = button;
        stack->addWidget(button);
    }
    changes_ = model_.observers.observe([this](SectionsModel::Property property) {
        if (property == SectionsModel::Property::profile) {
            showChoice();
        }
    });
    // The marks are drawn in theme colours and follow the appearance.
    AppearanceFollower::follow(*this, QStringLiteral("marks"), [this](QWidget&) {
        shown_ = false;
        showChoice();
    });
}

QPushButton& NewItemPlacement::choice(core::Section section) const {
    for (std::size_t i = 0; i < core::allSections.size(); ++i) {
        if (core::allSections[i] == section) {
            return *choices_[i];
        }
    }
    return *choices_[0];
}

void NewItemPlacement::showChoice() {
    const core::Section chosen = model_.profile().newItemSection;
    if (shown_ && chosen == chosen_) {
        return;
    }
    chosen_ = chosen;
    shown_ = true;
    for (std::size_t i = 0; i < core::allSections.size(); ++i) {
        const bool isChosen = core::allSections[i] == chosen;
        choices_[i]->setIcon(mark(isChosen));
        // What the accessibility layer reads as the selected choice.
        choices_[i]->setProperty("selected", isChosen);
        choices_[i]->setAccessibleDescription(isChosen ? QStringLiteral("selected") : QString());
    }
}

} // namespace pellacor::app
