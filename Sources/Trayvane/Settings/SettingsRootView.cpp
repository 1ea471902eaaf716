#include "Trayvane/Settings/SettingsRootView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/GeneralSettingsView.h"
#include "Trayvane/Settings/RulesSettingsView.h"
#include "Trayvane/Settings/SectionsSettingsView.h"
#include "Trayvane/Settings/SettingsNavigation.h"
#include "Trayvane/Settings/SettingsTab.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

namespace pellacor::app {

SettingsRootView::SettingsRootView(SectionsModel& sections, ProfilesModel& profiles, RulesModel& rules,
                                   GeneralModel& general, SettingsNavigation& navigation,
                                   PageServices services, QWidget* parent)
    : QWidget(parent), sections_(sections), profiles_(profiles), rules_(rules), general_(general),
      navigation_(navigation), services_(std::move(services)) {
    setObjectName(QStringLiteral("settings:root"));
    setMinimumSize(minimumWidth, minimumHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(20, 12, 20, 8);
    bar->setSpacing(6);
    for (const Page page : allSettingsPages) {
        auto* tab = new SettingsTab(page, this);
        tabs_.at(static_cast<std::size_t>(page)) = tab;
        bar->addWidget(tab, 0, Qt::AlignVCenter);
        connect(tab, &QAbstractButton::clicked, this, [this, page] { navigation_.setPage(page); });
        // Anywhere in the window, whichever control has the focus.
        auto* shortcut =
            new QShortcut(QKeySequence(Qt::CTRL | (Qt::Key_0 + (shortcutKey(page) - '0'))), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, page] { navigation_.setPage(page); });
    }
    bar->addStretch(1);
    help_ = appButton(qtTitle(core::localized("ヘルプ")), false, this);
    help_->setObjectName(QStringLiteral("settings:help"));
    connect(help_, &QAbstractButton::clicked, this, [this] {
        if (general_.onOpenHelp) {
            general_.onOpenHelp();
        }
    });
    bar->addWidget(help_, 0, Qt::AlignVCenter);
    column->addLayout(bar);

    auto* divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("settings:divider"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    column->addWidget(divider);

    panes_ = new QStackedWidget(this);
    column->addWidget(panes_, 1);

    pageChanges_ = navigation_.observers.observe([this] { showPage(); });
    showPage();
}

SettingsRootView::~SettingsRootView() = default;

SettingsTab& SettingsRootView::tab(Page page) const {
    return *tabs_.at(static_cast<std::size_t>(page));
}

QWidget* SettingsRootView::currentPane() const {
    return panes_->currentWidget();
}

void SettingsRootView::showPage() {
    const Page shown = navigation_.page();
    for (const Page page : allSettingsPages) {
        tab(page).setSelected(page == shown);
    }
    panes_->setCurrentWidget(pane(shown));
}

QWidget* SettingsRootView::pane(Page page) {
    switch (page) {
    case Page::sections:
        if (sectionsPage_ == nullptr) {
            sectionsPage_ =
                new SectionsSettingsView(sections_, profiles_, services_.icons, services_.name, panes_);
            panes_->addWidget(sectionsPage_);
        }
        return sectionsPage_;
    case Page::general:
        if (generalPage_ == nullptr) {
            generalPage_ = new GeneralSettingsView(general_, panes_);
            panes_->addWidget(generalPage_);
        }
        return generalPage_;
    case Page::rules:
        if (rulesPage_ == nullptr) {
            rulesPage_ = new RulesSettingsView(rules_, services_.icons, panes_);
            panes_->addWidget(rulesPage_);
        }
        return rulesPage_;
    }
    return nullptr;
}

} // namespace pellacor::app
