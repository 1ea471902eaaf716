#include "Trayvane/Settings/ProfileDeleteSheet.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace pellacor::app {

using core::localized;

ProfileDeleteSheet::ProfileDeleteSheet(ProfileChoice choice, ProfilesModel& model, QWidget* parent)
    : QDialog(parent), choice_(std::move(choice)), model_(model) {
    setObjectName("profile:deleteSheet");
    setWindowModality(Qt::WindowModal);
    setFont(AppFont::body());
    const std::string question = localized("「%@」を削除しますか？", {choice_.name});
    setWindowTitle(qtWindowTitle(question));

    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(12);
    stack->setContentsMargins(padding, padding, padding, padding);
    stack->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* title = new QLabel(qtText(question), this);
    title->setObjectName("profile:sheetTitle");
    title->setTextFormat(Qt::PlainText);
    title->setWordWrap(true);
    appHeading(*title);
    stack->addWidget(title);
    text_ = new QLabel(this);
    text_->setObjectName("profile:deleteText");
    text_->setWordWrap(true);
    appSecondary(*text_);
    stack->addWidget(text_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = appButton(qtText(localized("キャンセル")), false, this);
    cancel->setObjectName("profile:cancel");
    auto* confirm = appButton(qtText(localized("削除")), false, this);
    confirm->setObjectName("profile:confirmDelete");
    // No default button at all: Return must not delete a profile.
    cancel->setAutoDefault(false);
    confirm->setAutoDefault(false);
    buttons->addWidget(cancel, 0, Qt::AlignVCenter);
    buttons->addWidget(confirm, 0, Qt::AlignVCenter);
    stack->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(confirm, &QPushButton::clicked, this, [this] {
        if (model_.onDelete) {
            model_.onDelete(choice_.id);
        }
        accept();
    });
    changes_ = model_.observers.observe([this](ProfilesModel::Property) { showText(); });
    showText();
}

bool ProfileDeleteSheet::isActive() const {
    const auto& choices = model_.choices();
    const auto found = std::find_if(choices.begin(), choices.end(),
                                    [&](const ProfileChoice& listed) { return listed.id == choice_.id; });
    return found == choices.end() ? choice_.isActive : found->isActive;
}

void ProfileDeleteSheet::showText() {
    text_->setText(qtText(isActive()
                              ? localized("このプロファイルの振り分けと順番は消えます。元に戻せません。"
                                          "削除すると、一覧のいちばん上のプロファイルに切り替わります。")
                              : localized("このプロファイルの振り分けと順番は消えます。元に戻せません。")));
    layout()->invalidate();
    layout()->activate();
    setFixedSize(sheetWidth, layout()->totalHeightForWidth(sheetWidth));
}

} // namespace pellacor::app
