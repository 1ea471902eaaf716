// Writes the program's icon and the icons of the desktop entry's actions into
// an XDG data folder's hicolor theme, drawn by the program's own code (the
// broom of the About window and the symbols of its windows), so the desktop
// entry names icons that exist:
//
//   pellacor-icons DATA_DIR
//
// Each icon goes to DATA_DIR/icons/hicolor/N×N/apps/NAME.png for the theme's
// usual sizes. Standard output lists what was written, one icon a line: its
// NAME, a tab, and the action it belongs to (empty for the program's own).
// Exits 1 when a file cannot be written, 2 for a usage error. Needs no display.
#include "Trayvane/Integrations/TrayvaneShortcuts.h"
#include "Trayvane/StatusItem/SymbolImage.h"
#include "Trayvane/Theme/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr std::array sizes{16, 22, 24, 32, 48, 64, 128, 256};
// The symbols in the deeper of the program icon's two blues, which reads on
// light and dark menus alike.
const QColor symbolColour(0x1F, 0x5F, 0xC4);

// "switchProfile" → "pellacor-switch-profile".
std::string iconName(std::string_view action) {
    std::string name = "pellacor-";
    for (const char c : action) {
        if (c >= 'A' && c <= 'Z') {
            name += '-';
            name += static_cast<char>(c - 'A' + 'a');
        } else {
            name += c;
        }
    }
    return name;
}

bool write(const QImage& image, const QString& dataDir, int size, const std::string& name) {
    const QString folder = dataDir + QStringLiteral("/icons/hicolor/%1x%1/apps").arg(size);
    if (image.isNull() || !QDir().mkpath(folder)) {
        return false;
    }
    return image.save(folder + QLatin1Char('/') + QString::fromStdString(name) + QStringLiteral(".png"),
                      "PNG");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellacor-icons DATA_DIR\n");
        return 2;
    }
    // Drawing needs no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString dataDir = QString::fromLocal8Bit(argv[1]);

    bool written = true;
    for (const int size : sizes) {
        QImage icon = pellacor::app::AppIcon::pixmap(size, 1).toImage();
        icon.setDevicePixelRatio(1);
        written = write(icon, dataDir, size, "pellacor") && written;
    }
    std::printf("pellacor\t\n");
    for (const auto& shortcut : pellacor::app::TrayvaneShortcuts::appShortcuts()) {
        const std::string name = iconName(shortcut.intent->action);
        for (const int size : sizes) {
            QImage symbol =
                pellacor::app::SymbolImage::tinted(shortcut.systemImageName, size, symbolColour, 1);
            written = write(symbol, dataDir, size, name) && written;
        }
        std::printf("%s\t%.*s\n", name.c_str(), static_cast<int>(shortcut.intent->action.size()),
                    shortcut.intent->action.data());
    }
    if (!written) {
        std::fprintf(stderr, "pellacor-icons: cannot write every icon under %s/icons/hicolor\n", argv[1]);
        return 1;
    }
    return 0;
}
