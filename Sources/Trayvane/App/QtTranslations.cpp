#include "Trayvane/App/QtTranslations.h"

#include "Trayvane/Help/HelpWindow.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace pellacor::app {

namespace {

// The one translator this installs; replaced by each `use`.
QPointer<QTranslator>& installed() {
    static QPointer<QTranslator> translator;
    return translator;
}

bool& japanese() {
    static bool inUse = false;
    return inUse;
}

} // namespace

bool QtTranslations::use(std::string_view language) {
    if (auto& previous = installed()) {
        QCoreApplication::removeTranslator(previous);
        delete previous.data();
    }
    japanese() = false;
    if (language.starts_with("en")) {
        return true;
    }
    // The program speaks Japanese unless it speaks English.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QString::fromStdString(folder()))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed() = translator;
    japanese() = true;
    return true;
}

bool QtTranslations::useProgramLanguage() {
    return use(HelpWindow::systemLocalization());
}

QLocale QtTranslations::locale() {
    return japanese() ? QLocale(QLocale::Japanese, QLocale::Japan) : QLocale::system();
}

std::string QtTranslations::folder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString();
}

} // namespace pellacor::app
