#include "Trayvane/Settings/RulesSettingsView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Settings/RuleAddSheet.h"
#include "Trayvane/Settings/RuleRowView.h"
#include "Trayvane/Settings/SettingsDivider.h"
#include "Trayvane/Settings/SettingsPageArea.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/Appearance.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"
#include "Trayvane/Windows/SheetFocus.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

namespace {

QLabel* wrapping(std::string_view key, QWidget* parent) {
    auto* label = new QLabel(qtText(localized(key)), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    appSecondary(*label);
    return label;
}

// The control background on a rounded box, following the appearance.
void roundedBox(QWidget& box, const QString& name, const QString& type) {
    box.setObjectName(name);
    AppearanceFollower::follow(box, QStringLiteral("box"), [name, type](QWidget& shown) {
        const Appearance appearance = appearanceOf(QApplication::palette());
        const QColor fill = PanelColor::controlBackground.colour.resolved(appearance);
        shown.setStyleSheet(
            QStringLiteral("%1#%2 { background: %3; border-radius: 8px; }")
                .arg(type, QString(name).replace(QLatin1Char(':'), QStringLiteral("\\:")), fill.name()));
    });
}

} // namespace

RulesSettingsView::RulesSettingsView(RulesModel& model, std::shared_ptr<IconStore> icons, QWidget* parent)
    : QScrollArea(parent), model_(model), icons_(std::move(icons)) {
    QVBoxLayout* stack = settingsPageColumn(*this, QStringLiteral("rules"));
    QWidget* page = stack->parentWidget();

    auto* headingBlock = new QVBoxLayout;
    headingBlock->setSpacing(6);
    auto* heading = new QLabel(qtText(localized("自動で切り替える")), page);
    appHeading(*heading);
    headingBlock->addWidget(heading);
    headingBlock->addWidget(
        wrapping("決めたアプリが動いている間、または前面にある間だけ、プロファイルを切り替えます。"
                 "そのアプリが終わる（前面でなくなる）と、前のプロファイルに戻ります。",
                 page));
    headingBlock->addWidget(
        wrapping("条件が重なったときは、上のルールが勝ちます。ルールで切り替わっている間に、"
                 "自分でプロファイルを選ぶと、そのアプリが終わっても戻しません。",
                 page));
    stack->addLayout(headingBlock);

    applying_ = new QLabel(page);
    applying_->setWordWrap(true);
    applying_->setTextFormat(Qt::PlainText);
    applying_->setContentsMargins(10, 10, 10, 10);
    appSecondaryFont(*applying_);
    roundedBox(*applying_, QStringLiteral("rules:applying"), QStringLiteral("QLabel"));
    stack->addWidget(applying_);

    empty_ = wrapping("ルールはまだありません。", page);
    empty_->setObjectName("rules:empty");
    stack->addWidget(empty_);

    list_ = new QFrame(page);
    roundedBox(*list_, QStringLiteral("rules:list"), QStringLiteral("QFrame"));
    listStack_ = new QVBoxLayout(list_);
    listStack_->setSpacing(0);
    listStack_->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(list_);

    auto* addLine = new QHBoxLayout;
    addLine->setSpacing(10);
    add_ = appButton(qtText(localized("ルールを追加…")), false, page);
    add_->setObjectName("rules:add");
    connect(add_, &QPushButton::clicked, this, &RulesSettingsView::openAddSheet);
    addLine->addWidget(add_, 0, Qt::AlignVCenter);
    addLine->addStretch(1);
    stack->addLayout(addLine);

    needsProfiles_ =
        wrapping("切り替える先が要るので、プロファイルが2つ以上のときに使えます。「レイアウト」の画面の"
                 "「追加…」で、プロファイルを増やしてください。",
                 page);
    needsProfiles_->setObjectName("rules:needsProfiles");
    stack->addWidget(needsProfiles_);
    stack->addStretch(1);
    setWidget(page);

    changes_ = model_.observers.observe([this](RulesModel::Property) { showModel(); });
    showModel();
}

RulesSettingsView::~RulesSettingsView() {
    // A sheet still open must not reach back into a page that is gone.
    changes_.reset();
    delete addSheet_.data();
}

RuleAddSheet* RulesSettingsView::addSheet() const {
    return addSheet_;
}

void RulesSettingsView::openAddSheet() {
    if (addSheet_ || model_.profiles().size() < 2) {
        return;
    }
    addSheet_ = new RuleAddSheet(model_, icons_, this);
    addSheet_->setAttribute(Qt::WA_DeleteOnClose);
    connect(addSheet_, &QDialog::finished, addSheet_, &QWidget::close);
    returnFocusOnClose(*addSheet_);
    addSheet_->open();
}

void RulesSettingsView::showModel() {
    const auto note = model_.applyingNote();
    applying_->setText(note ? qtText(*note) : QString());
    applying_->setVisible(note.has_value());

    const auto& rows = model_.rows();
    empty_->setVisible(rows.empty());
    list_->setVisible(!rows.empty());
    // The old rows go later: this may run while one of their buttons is
    // being pressed.
    while (QLayoutItem* item = listStack_->takeAt(0)) {
        if (QWidget* shown = item->widget()) {
            shown->hide();
            shown->deleteLater();
        }
        delete item;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) {
            listStack_->addWidget(settingsDivider(list_));
        }
        listStack_->addWidget(new RuleRowView(rows[i], i == 0, model_, icons_, list_));
    }

    const bool enoughProfiles = model_.profiles().size() >= 2;
    add_->setEnabled(enoughProfiles);
    needsProfiles_->setVisible(!enoughProfiles);
}

} // namespace pellacor::app
