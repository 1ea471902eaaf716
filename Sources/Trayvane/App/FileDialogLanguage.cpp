#include "Trayvane/App/FileDialogLanguage.h"

#include "Trayvane/App/QtTranslations.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>

namespace pellacor::app {

namespace {

// The list's columns as the file-system model has them.
constexpr int typeColumn = 2;
constexpr int dateColumn = 3;

class ListedInTheProgramsLanguage final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.isValid()) {
            const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
            const QModelIndex source = mapToSource(index);
            if (files != nullptr && index.column() == typeColumn && files->isDir(source)) {
                return QFileDialog::tr("Folder");
            }
            if (files != nullptr && index.column() == dateColumn) {
                return QtTranslations::locale().toString(files->lastModified(source), QLocale::ShortFormat);
            }
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void FileDialogLanguage::apply(QFileDialog& dialog) {
    dialog.setProxyModel(new ListedInTheProgramsLanguage(&dialog));
}

} // namespace pellacor::app
