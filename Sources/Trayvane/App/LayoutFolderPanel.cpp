#include "Trayvane/App/LayoutFolderPanel.h"

#include "Trayvane/App/FileDialogLanguage.h"
#include "Trayvane/Windows/SheetFocus.h"

#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <utility>

namespace pellacor::app {

namespace {

// The dialog: the message above a folder chooser.
class PanelDialog final : public QDialog {
public:
    PanelDialog(const LayoutFolderPanel::Request& request, const std::filesystem::path& home,
                const FileDialogFolders& folders, QWidget* parent)
        : QDialog(parent) {
        setObjectName(LayoutFolderPanel::identifier);
        // No title: the message says what the panel is for.
        setWindowTitle(QString());
        auto* layout = new QVBoxLayout(this);
        auto* message = new QLabel(QString::fromStdString(request.message), this);
        message->setObjectName("layout-folder-message");
        message->setWordWrap(true);
        layout->addWidget(message);

        chooser_ = new QFileDialog(this, QString(), QString::fromStdString(request.directory.string()));
        chooser_->setObjectName("layout-folder-chooser");
        chooser_->setWindowFlags(Qt::Widget);
        chooser_->setOption(QFileDialog::DontUseNativeDialog);
        chooser_->setOption(QFileDialog::ShowDirsOnly);
        chooser_->setOption(QFileDialog::DontResolveSymlinks);
        chooser_->setFileMode(QFileDialog::Directory);
        chooser_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
        chooser_->setLabelText(QFileDialog::Accept, QString::fromStdString(request.prompt));
        // The user's home folder is the one place offered beside the folder it opens in.
        folders.apply(*chooser_, {home});
        FileDialogLanguage::apply(*chooser_);
        layout->addWidget(chooser_);
        connect(chooser_, &QFileDialog::accepted, this, &QDialog::accept);
        connect(chooser_, &QFileDialog::rejected, this, &QDialog::reject);
        resize(720, 480);
    }

    std::optional<std::filesystem::path> chosen() const {
        const QStringList files = chooser_->selectedFiles();
        if (result() != QDialog::Accepted || files.isEmpty() || files.front().isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(files.front().toStdString());
    }

private:
    QFileDialog* chooser_;
};

} // namespace

LayoutFolderPanel::Runner LayoutFolderPanel::fileDialog(std::shared_ptr<platform::FileManager> files,
                                                        FileDialogFolders folders) {
    return [files = std::move(files), folders = std::move(folders)](
               const Request& request, QWidget* sheetParent, Completion completion) {
        const std::filesystem::path home = files ? files->homeDirectory() : std::filesystem::path();
        auto finish = [files,
                       completion = std::move(completion)](std::optional<std::filesystem::path> folder) {
            if (folder && files) {
                files->userChoseFolder(*folder);
            }
            completion(std::move(folder));
        };
        auto* dialog = new PanelDialog(request, home, folders, sheetParent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QDialog::finished, dialog,
                         [dialog, finish](int) { finish(dialog->chosen()); });
        if (sheetParent != nullptr) {
            returnFocusOnClose(*dialog);
            dialog->open();
        } else {
            // No window to put a sheet on: modal to the whole program, still without a loop of its own.
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->show();
        }
        dialog->raise();
        dialog->activateWindow();
        return [panel = QPointer<QDialog>(dialog)] {
            if (panel) {
                // Gone without an answer: nothing is granted, nobody is told.
                QObject::disconnect(panel, &QDialog::finished, nullptr, nullptr);
                panel->close();
            }
        };
    };
}

} // namespace pellacor::app
