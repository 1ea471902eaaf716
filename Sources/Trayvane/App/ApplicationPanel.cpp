#include "Trayvane/App/ApplicationPanel.h"

#include "Trayvane/App/FileDialogLanguage.h"
#include "Trayvane/Windows/Sheet.h"

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <system_error>

namespace pellacor::app {

namespace {

// An application bundle is a folder to the file system; the dialog treats it
// as one item to choose, and any other folder as a place to go into.
class BundleDialog final : public QFileDialog {
public:
    BundleDialog(const RuleApps::PanelRequest& request, const FileDialogFolders& folders)
        : QFileDialog(nullptr, QString::fromStdString(request.title),
                      QString::fromStdString(request.directory.string())) {
        setObjectName(ApplicationPanel::identifier);
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontResolveSymlinks);
        setFileMode(QFileDialog::Directory);
        setAcceptMode(QFileDialog::AcceptOpen);
        setLabelText(QFileDialog::Accept, QString::fromStdString(request.prompt));
        folders.apply(*this, {request.directory, folders.home});
        FileDialogLanguage::apply(*this);
        setWindowModality(Qt::ApplicationModal);
        resize(720, 480);
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.size() != 1 || files.front().isEmpty()) {
            return;
        }
        const std::filesystem::path chosen(files.front().toStdString());
        if (ApplicationPanel::isApplicationBundle(chosen)) {
            QFileDialog::accept();
            return;
        }
        std::error_code error;
        if (std::filesystem::is_directory(chosen, error)) {
            setDirectory(files.front());
        }
    }

    // The bundle chosen once the dialog ended; nothing when it was cancelled.
    std::optional<std::filesystem::path> chosen() const {
        const QStringList files = selectedFiles();
        if (result() != QDialog::Accepted || files.isEmpty() || files.front().isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(files.front().toStdString());
    }
};

} // namespace

bool ApplicationPanel::isApplicationBundle(const std::filesystem::path& path) {
    std::filesystem::path bundle = path;
    if (!bundle.has_filename()) {
        bundle = bundle.parent_path();
    }
    std::error_code error;
    return bundle.extension() == ".app" && std::filesystem::is_directory(bundle, error);
}

RuleApps::Panel ApplicationPanel::fileDialog(FileDialogFolders folders) {
    return [folders = std::move(folders)](const RuleApps::PanelRequest& request,
                                          RuleApps::PanelCompletion completion) -> RuleApps::PanelDismiss {
        auto* dialog = new BundleDialog(request, folders);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QDialog::finished, dialog,
                         [dialog, completion = std::move(completion)](int) { completion(dialog->chosen()); });
        // Modal to the whole program, yet without an event loop of its own;
        // the program comes forward with its panel.
        dialog->show();
        // Taken away, it answers nobody.
        return frontAndDismissal(*dialog);
    };
}

} // namespace pellacor::app
