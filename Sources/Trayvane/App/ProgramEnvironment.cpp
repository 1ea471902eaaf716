#include "Trayvane/App/ProgramEnvironment.h"

#include "Trayvane/App/ApplicationPanel.h"
#include "Trayvane/App/FileDialogFolders.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>
#include <cmath>
#include <utility>

namespace pellacor::app {

namespace {

QPoint identityPlace(core::Point point) {
    return {static_cast<int>(std::lround(point.x)), static_cast<int>(std::lround(point.y))};
}

} // namespace

ProgramEnvironment ProgramEnvironment::completed(ProgramEnvironment given) {
    if (!given.place) {
        given.place = identityPlace;
    }
    // The panels name the folders as the system does: the one holding the
    // Applications folder is "/", the home folder bears the account's name.
    const auto& platform = given.platform;
    const FileDialogFolders folders{
        .root = given.applicationsFolder.parent_path(),
        .home = platform.fileManager ? platform.fileManager->homeDirectory() : std::filesystem::path(),
        .homeName = platform.userAccount ? platform.userAccount->userName() : std::string(),
    };
    if (!given.layoutFolderPanel) {
        given.layoutFolderPanel = LayoutFolderPanel::fileDialog(platform.fileManager, folders);
    }
    if (!given.applicationPanel) {
        given.applicationPanel = ApplicationPanel::fileDialog(folders);
    }
    if (!given.sleep) {
        given.sleep = concurrency::defaultSleep();
    }
    if (!given.openURL) {
        // The desktop's URL handler (xdg-open on Linux); its answer only says
        // the URL was handed on, not that a program showed it.
        given.openURL = [](const std::string& url) {
            return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
        };
    }
    if (!given.copyText) {
        given.copyText = [](const std::string& text) {
            QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        };
    }
    return given;
}

} // namespace pellacor::app
