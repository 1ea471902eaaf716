#include "Trayvane/Settings/SectionsSettingsView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Settings/NewItemPlacement.h"
#include "Trayvane/Settings/ProfileBar.h"
#include "Trayvane/Settings/SectionBand.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsDivider.h"
#include "Trayvane/Settings/SettingsPageArea.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

namespace {

// A note of another part of the program: warning text on a rounded box.
QLabel* noteBox(QWidget* parent) {
    auto* box = new QLabel(parent);
    box->setTextFormat(Qt::PlainText);
    box->setWordWrap(true);
    box->setFont(AppFont::secondary());
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    AppearanceFollower::follow(*box, QStringLiteral("note"), [](QWidget& shown) {
        const Appearance appearance = appearanceOf(QApplication::palette());
        const QColor fill = PanelColor::controlBackground.colour.resolved(appearance);
        shown.setStyleSheet(
            QStringLiteral("QLabel { color: %1; background: %2; border-radius: 8px; padding: 10px; }")
                .arg(AppColor::warningText.resolved(appearance).name(), fill.name()));
    });
    box->hide();
    return box;
}

} // namespace

SectionsSettingsView::SectionsSettingsView(SectionsModel& model, ProfilesModel& profiles,
                                           std::shared_ptr<IconStore> icons, SectionRowView::NameLookup name,
                                           QWidget* parent)
    : QScrollArea(parent), model_(model), icons_(std::move(icons)), name_(std::move(name)) {
    QVBoxLayout* stack = settingsPageColumn(*this, QStringLiteral("sections"));
    QWidget* page = stack->parentWidget();

    profileBar_ = new ProfileBar(profiles, page);
    stack->addWidget(profileBar_);
    stack->addWidget(settingsDivider(page));

    auto* intro = new QVBoxLayout;
    intro->setSpacing(6);
    auto* heading = new QLabel(qtText(localized("置き場所")), page);
    appHeading(*heading);
    auto* explanation = new QLabel(
        qtText(localized("行の右の「移す」を押すと、置き場所を変えたり、1つ上・1つ下へ動かしたりできます。"
                         "上の行ほど、メニューバーでは左に並びます。行をドラッグしても動かせます。"
                         "動かすと、すぐにメニューバーにも効きます。")),
        page);
    explanation->setWordWrap(true);
    appSecondary(*explanation);
    folderNote_ = noteBox(page);
    folderNote_->setObjectName("sections:layoutFolderNote");
    saveWarning_ = noteBox(page);
    intro->addWidget(heading);
    intro->addWidget(explanation);
    intro->addWidget(folderNote_);
    intro->addWidget(saveWarning_);
    stack->addLayout(intro);

    for (std::size_t i = 0; i < core::allSections.size(); ++i) {
        bands_[i] = new SectionBand(core::allSections[i], model_, page);
        stack->addWidget(bands_[i]);
    }
    newItem_ = new NewItemPlacement(model_, page);
    stack->addWidget(newItem_);
    stack->addStretch(1);
    setWidget(page);

    changes_ = model_.observers.observe([this](SectionsModel::Property property) {
        if (property == SectionsModel::Property::rows) {
            showRows();
        } else if (property != SectionsModel::Property::profile) {
            showNotes();
        }
    });
    showNotes();
    showRows();
}

SectionsSettingsView::~SectionsSettingsView() = default;

SectionBand& SectionsSettingsView::band(core::Section section) const {
    for (SectionBand* band : bands_) {
        if (band->section() == section) {
            return *band;
        }
    }
    return *bands_[0];
}

SectionRowView* SectionsSettingsView::row(const std::string& bundleID) const {
    const auto found = rows_.find(bundleID);
    return found == rows_.end() ? nullptr : found->second;
}

void SectionsSettingsView::showNotes() {
    const auto& note = model_.layoutFolderNote();
    folderNote_->setText(note ? qtText(*note) : QString());
    folderNote_->setVisible(note.has_value());
    const auto& warning = model_.saveWarning();
    saveWarning_->setText(warning ? qtText(*warning) : QString());
    saveWarning_->setVisible(warning.has_value());
}

void SectionsSettingsView::showRows() {
    std::map<std::string, SectionRowView*> kept;
    for (SectionBand* band : bands_) {
        std::vector<SectionRowView*> shown;
        int appleCount = 0;
        for (const core::SectionRow& row : model_.rows(band->section())) {
            if (row.kind == core::SectionRow::Kind::apple) {
                ++appleCount;
                continue;
            }
            SectionRowView* view = nullptr;
            if (const auto found = rows_.find(row.id()); found != rows_.end()) {
                view = found->second;
                view->setRow(row);
                rows_.erase(found);
            } else {
                view = new SectionRowView(row, model_, icons_, name_, &band->box());
            }
            kept.emplace(row.id(), view);
            shown.push_back(view);
        }
        band->arrange(shown, appleCount);
    }
    // What is left has no row any more. Later, not now: one of them may be
    // the widget an event that led here is still being delivered to.
    for (const auto& [id, view] : rows_) {
        view->hide();
        view->deleteLater();
    }
    rows_ = std::move(kept);
}

} // namespace pellacor::app
