#pragma once

#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Settings/ProfileBarEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;

namespace pellacor::app {

class AppButton;
class ProfileDeleteSheet;
class ProfileNameSheet;

// The block at the top of the layout page through which the user switches,
// adds, renames and deletes profiles: a heading, an explanation, the menu of
// profiles with the buttons "追加…", "名前を変える…" and "削除…", and a note while
// only one profile is left. It draws the model and acts only through the
// model's callbacks, so its checks and buttons follow the list the shell
// writes, not the click. Renaming and deleting apply to the active profile.
// Each sheet is a window-modal dialog made afresh for each opening (no nested
// event loop); the bar's own state is which one is open. Main thread only.
class ProfileBar final : public QWidget {
    Q_OBJECT

public:
    using Editor = ProfileBarEditor;

    explicit ProfileBar(ProfilesModel& model, QWidget* parent = nullptr);
    ProfileBar(const ProfileBar&) = delete;
    ProfileBar& operator=(const ProfileBar&) = delete;
    ~ProfileBar() override;

    // The opening of the name sheet on screen; nothing while it is closed.
    const std::optional<Editor>& editor() const { return editor_; }
    // The profile the delete sheet on screen asks about.
    const std::optional<ProfileChoice>& deleting() const { return deleting_; }
    ProfileNameSheet* nameSheet() const;
    ProfileDeleteSheet* deleteSheet() const;
    QMenu& profileMenu() const { return *menu_; }

    // What the three buttons do.
    void add();
    void rename();
    void remove();

private:
    void showChoices();
    void openNameSheet(Editor editor);
    void choose(const core::Uuid& id);

    ProfilesModel& model_;
    core::Subscription changes_;
    std::optional<Editor> editor_;
    std::optional<ProfileChoice> deleting_;
    QPointer<ProfileNameSheet> nameSheet_;
    QPointer<ProfileDeleteSheet> deleteSheet_;
    QPushButton* picker_ = nullptr;
    QMenu* menu_ = nullptr;
    AppButton* rename_ = nullptr;
    AppButton* delete_ = nullptr;
    QLabel* note_ = nullptr;
};

} // namespace pellacor::app
