#include "Trayvane/Settings/ProfileBar.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Settings/ProfileDeleteSheet.h"
#include "Trayvane/Settings/ProfileNameSheet.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"
#include "Trayvane/Windows/SheetFocus.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

ProfileBar::ProfileBar(ProfilesModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("profileBar");
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(8);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* heading = new QLabel(qtText(localized("プロファイル")), this);
    heading->setObjectName("profile:heading");
    appHeading(*heading);
    stack->addWidget(heading);
    auto* explanation =
        new QLabel(qtText(localized("置き場所の振り分けと順番の一式です。いくつか作っておくと、"
                                    "操作口のメニューの「プロファイル」から切り替えられます。"
                                    "下で動かしたものは、いま選んでいるプロファイルに入ります。")),
                   this);
    explanation->setObjectName("profile:explanation");
    explanation->setWordWrap(true);
    appSecondary(*explanation);
    stack->addWidget(explanation);

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    // A menu drawn as a button: the button shows the active profile, its menu all of them.
    picker_ = new QPushButton(this);
    picker_->setObjectName("profile:picker");
    picker_->setFont(AppFont::body());
    picker_->setAutoDefault(false);
    picker_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    menu_ = new QMenu(picker_);
    menu_->setObjectName("profile:menu");
    picker_->setMenu(menu_);
    auto* addButton = appButton(qtText(localized("追加…")), false, this);
    addButton->setObjectName("profile:add");
    rename_ = appButton(qtText(localized("名前を変える…")), false, this);
    rename_->setObjectName("profile:rename");
    delete_ = appButton(qtText(localized("削除…")), false, this);
    delete_->setObjectName("profile:delete");
    row->addWidget(picker_, 0, Qt::AlignVCenter);
    row->addWidget(addButton, 0, Qt::AlignVCenter);
    row->addWidget(rename_, 0, Qt::AlignVCenter);
    row->addWidget(delete_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    stack->addLayout(row);

    note_ = new QLabel(qtText(localized("プロファイルが1つのときは削除できません。")), this);
    note_->setObjectName("profile:note");
    appSecondary(*note_);
    stack->addWidget(note_);

    connect(addButton, &QPushButton::clicked, this, &ProfileBar::add);
    connect(rename_, &QPushButton::clicked, this, &ProfileBar::rename);
    connect(delete_, &QPushButton::clicked, this, &ProfileBar::remove);
    changes_ = model_.observers.observe([this](ProfilesModel::Property) { showChoices(); });
    showChoices();
}

ProfileBar::~ProfileBar() {
    // A sheet still open must not reach back into a bar that is gone.
    changes_.reset();
    delete nameSheet_.data();
    delete deleteSheet_.data();
}

ProfileNameSheet* ProfileBar::nameSheet() const {
    return nameSheet_;
}

ProfileDeleteSheet* ProfileBar::deleteSheet() const {
    return deleteSheet_;
}

void ProfileBar::showChoices() {
    const auto& choices = model_.choices();
    const auto active = model_.active();
    picker_->setText(qtTitle(active ? active->name : localized("プロファイル")));

    // The old entries go later: this may run while one of them is being chosen.
    for (QAction* action : menu_->actions()) {
        menu_->removeAction(action);
        action->deleteLater();
    }
    for (const auto& choice : choices) {
        auto* action = new QAction(qtTitle(choice.name), menu_);
        action->setCheckable(true);
        action->setChecked(choice.isActive);
        connect(action, &QAction::triggered, this, [this, id = choice.id] { choose(id); });
        menu_->addAction(action);
    }
    rename_->setEnabled(active.has_value());
    delete_->setEnabled(choices.size() >= 2);
    note_->setVisible(choices.size() < 2);
}

void ProfileBar::choose(const core::Uuid& id) {
    // The check marks are the model's, not the click's: put them back, and
    // let the shell's new list (if any) move them.
    showChoices();
    if (model_.onSwitch) {
        model_.onSwitch(id);
    }
}

void ProfileBar::add() {
    const auto active = model_.active();
    const std::string base = active ? active->name : localized("プロファイル");
    std::string name = model_.suggestName ? model_.suggestName(base) : base;
    openNameSheet(Editor{core::Uuid::random(), Editor::Add{}, std::move(name)});
}

void ProfileBar::rename() {
    if (const auto active = model_.active()) {
        openNameSheet(Editor{core::Uuid::random(), Editor::Rename{active->id}, active->name});
    }
}

void ProfileBar::remove() {
    const auto active = model_.active();
    if (!active) {
        return;
    }
    if (deleteSheet_) {
        deleteSheet_->reject();
    }
    deleting_ = active;
    auto* sheet = new ProfileDeleteSheet(*active, model_, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    deleteSheet_ = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (deleteSheet_ == sheet) {
            deleting_.reset();
            deleteSheet_ = nullptr;
        }
    });
    returnFocusOnClose(*sheet);
    sheet->open();
}

void ProfileBar::openNameSheet(Editor editor) {
    if (nameSheet_) {
        nameSheet_->reject();
    }
    editor_ = editor;
    auto* sheet = new ProfileNameSheet(model_, std::move(editor), this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    nameSheet_ = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (nameSheet_ == sheet) {
            editor_.reset();
            nameSheet_ = nullptr;
        }
    });
    returnFocusOnClose(*sheet);
    sheet->open();
}

} // namespace pellacor::app
