#pragma once

#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Settings/SectionRowView.h"
#include "Trayvane/Settings/SettingsPage.h"

#include <QWidget>
#include <array>
#include <memory>

class QStackedWidget;

namespace pellacor::app {

class AppButton;
class GeneralModel;
class GeneralSettingsView;
class IconStore;
class ProfilesModel;
class RulesModel;
class RulesSettingsView;
class SectionsModel;
class SectionsSettingsView;
class SettingsNavigation;
class SettingsTab;

// The settings window's content: the tab bar (one tab per page, then the
// help button), a divider, and the page the navigation selects. A tab and
// Ctrl+1 … Ctrl+3 set the navigation's page; the pane follows it. Each page
// is built the first time it is shown and kept, so a page keeps its scroll
// position and whatever the user left open on it. Main thread only.
class SettingsRootView final : public QWidget {
    Q_OBJECT

public:
    using Page = SettingsPage;

    // What the pages draw beside their models: the applications' icons and names.
    struct PageServices {
        std::shared_ptr<IconStore> icons;
        SectionRowView::NameLookup name;
    };

    static constexpr int minimumWidth = 520;
    static constexpr int minimumHeight = 480;

    SettingsRootView(SectionsModel& sections, ProfilesModel& profiles, RulesModel& rules,
                     GeneralModel& general, SettingsNavigation& navigation, PageServices services,
                     QWidget* parent = nullptr);
    ~SettingsRootView() override;
    SettingsRootView(const SettingsRootView&) = delete;
    SettingsRootView& operator=(const SettingsRootView&) = delete;

    SettingsTab& tab(Page page) const;
    AppButton& helpButton() const { return *help_; }
    // The pane on screen now, and each page once it has been shown.
    QWidget* currentPane() const;
    SectionsSettingsView* sectionsPage() const { return sectionsPage_; }
    GeneralSettingsView* generalPage() const { return generalPage_; }
    RulesSettingsView* rulesPage() const { return rulesPage_; }

private:
    // The tabs and the pane for the navigation's page.
    void showPage();
    QWidget* pane(Page page);

    SectionsModel& sections_;
    ProfilesModel& profiles_;
    RulesModel& rules_;
    GeneralModel& general_;
    SettingsNavigation& navigation_;
    PageServices services_;
    core::Subscription pageChanges_;
    std::array<SettingsTab*, 3> tabs_{};
    AppButton* help_ = nullptr;
    QStackedWidget* panes_ = nullptr;
    SectionsSettingsView* sectionsPage_ = nullptr;
    GeneralSettingsView* generalPage_ = nullptr;
    RulesSettingsView* rulesPage_ = nullptr;
};

} // namespace pellacor::app
