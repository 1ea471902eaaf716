#include "Trayvane/App/FileDialogFolders.h"

#include "MenuBarCore/Support/FilePath.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace pellacor::app {

namespace {

// Where the dialog's place lists keep a place's folder; the lists are Qt's,
// and the role is theirs too.
constexpr int urlRole = Qt::UserRole + 1;

std::optional<std::string> relativeWithin(const std::filesystem::path& folder,
                                          const std::filesystem::path& base, std::string_view shownBase) {
    if (base.empty() || !core::isWithinFolder(folder, base)) {
        return std::nullopt;
    }
    const std::filesystem::path rest =
        core::standardizedPath(folder).lexically_relative(core::standardizedPath(base));
    std::string shown(shownBase);
    for (const auto& part : rest) {
        if (part.empty() || part == ".") {
            continue;
        }
        if (!shown.ends_with('/')) {
            shown += '/';
        }
        shown += part.string();
    }
    return shown;
}

// Names the places of one of the dialog's lists, and hides those outside
// from `view` when given. A change Qt makes to a place's name comes back
// here, so a place keeps its name through the dialog's own updates.
void nameThePlaces(QAbstractItemModel* model, QListView* view, const FileDialogFolders& folders,
                   bool fullPaths) {
    const auto name = [model, view, folders, fullPaths](int first, int last) {
        for (int row = first; row <= last; ++row) {
            const QModelIndex index = model->index(row, 0);
            const QVariant url = index.data(urlRole);
            if (!url.isValid()) {
                continue;
            }
            const std::filesystem::path folder = url.toUrl().toLocalFile().toStdString();
            const auto shown = fullPaths ? folders.shownPath(folder) : folders.shownName(folder);
            if (view != nullptr) {
                view->setRowHidden(row, !shown);
            }
            if (!shown) {
                continue;
            }
            const QString text = QString::fromStdString(*shown);
            if (index.data(Qt::DisplayRole).toString() != text) {
                model->setData(index, text, Qt::DisplayRole);
            }
            const QString tip = QString::fromStdString(folders.shownPath(folder).value_or(*shown));
            if (index.data(Qt::ToolTipRole).isValid() && index.data(Qt::ToolTipRole).toString() != tip) {
                model->setData(index, tip, Qt::ToolTipRole);
            }
        }
    };
    QObject::connect(model, &QAbstractItemModel::dataChanged, model,
                     [name](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                         name(topLeft.row(), bottomRight.row());
                     });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, model,
                     [name](const QModelIndex&, int first, int last) { name(first, last); });
    name(0, model->rowCount() - 1);
}

} // namespace

std::optional<std::string> FileDialogFolders::shownPath(const std::filesystem::path& folder) const {
    if (folder.empty()) {
        return std::nullopt;
    }
    // The home may lie on the disk; inside it, it is the nearer name.
    if (auto inHome = relativeWithin(folder, home, "~")) {
        return inHome;
    }
    return relativeWithin(folder, root, "/");
}

std::optional<std::string> FileDialogFolders::shownName(const std::filesystem::path& folder) const {
    const auto shown = shownPath(folder);
    if (!shown) {
        return std::nullopt;
    }
    if (*shown == "~" && !homeName.empty()) {
        return homeName;
    }
    const auto slash = shown->rfind('/');
    return slash == std::string::npos || slash + 1 == shown->size() ? *shown : shown->substr(slash + 1);
}

void FileDialogFolders::apply(QFileDialog& dialog, const std::vector<std::filesystem::path>& places) const {
    QList<QUrl> urls;
    for (const auto& place : places) {
        if (!place.empty()) {
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(place.string())));
        }
    }
    dialog.setSidebarUrls(urls);
    if (root.empty() && home.empty()) {
        return;
    }
    // The dialog's own parts, found by the names Qt gives them.
    if (auto* lookIn = dialog.findChild<QComboBox*>(QStringLiteral("lookInCombo"))) {
        nameThePlaces(lookIn->model(), qobject_cast<QListView*>(lookIn->view()), *this, true);
    }
    if (auto* sidebar = dialog.findChild<QListView*>(QStringLiteral("sidebar"))) {
        nameThePlaces(sidebar->model(), sidebar, *this, false);
    }
    const std::filesystem::path back = root.empty() ? home : root;
    QObject::connect(
        &dialog, &QFileDialog::directoryEntered, &dialog,
        [dialog = QPointer<QFileDialog>(&dialog), folders = *this, back](const QString& entered) {
            if (folders.shownPath(entered.toStdString())) {
                return;
            }
            // After the dialog has finished entering the folder it was led to.
            QTimer::singleShot(0, dialog, [dialog, back] {
                if (dialog) {
                    dialog->setDirectory(QString::fromStdString(back.string()));
                }
            });
        });
}

} // namespace pellacor::app
