#pragma once

#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Settings/SectionRowView.h"

#include <QScrollArea>
#include <array>
#include <map>
#include <memory>
#include <string>

class QLabel;

namespace pellacor::app {

class IconStore;
class NewItemPlacement;
class ProfileBar;
class ProfilesModel;
class SectionBand;
class SectionsModel;

// The layout page of the settings: the profile bar, what the page is for, the
// notes on the layout folder and on saving when there are any, one band per
// section with its applications, and where new applications go. It draws the
// sections model and calls it; a drag, a drop and the rows' menus change the
// model's profile, which hands the change to the shell, and the page follows
// the model's new rows. A row is made once per application and moved from
// band to band, so a drop never destroys the row being dragged or dropped
// on. Main thread only.
class SectionsSettingsView final : public QScrollArea {
    Q_OBJECT

public:
    SectionsSettingsView(SectionsModel& model, ProfilesModel& profiles, std::shared_ptr<IconStore> icons,
                         SectionRowView::NameLookup name, QWidget* parent = nullptr);
    ~SectionsSettingsView() override;

    SectionBand& band(core::Section section) const;
    // The row of an application on the page; nothing for Apple's, which are only counted.
    SectionRowView* row(const std::string& bundleID) const;
    ProfileBar& profileBar() const { return *profileBar_; }
    NewItemPlacement& newItemPlacement() const { return *newItem_; }
    // "sections:layoutFolderNote", shown only while the model has a note.
    QLabel& layoutFolderNote() const { return *folderNote_; }
    // The warning that edits are not being saved, shown only while there is one.
    QLabel& saveWarning() const { return *saveWarning_; }

private:
    // Hands every band its rows in the model's order; rows of applications
    // that are gone go with them.
    void showRows();
    void showNotes();

    SectionsModel& model_;
    std::shared_ptr<IconStore> icons_;
    SectionRowView::NameLookup name_;
    core::Subscription changes_;
    ProfileBar* profileBar_ = nullptr;
    QLabel* folderNote_ = nullptr;
    QLabel* saveWarning_ = nullptr;
    std::array<SectionBand*, 3> bands_{};
    NewItemPlacement* newItem_ = nullptr;
    std::map<std::string, SectionRowView*> rows_;
};

} // namespace pellacor::app
