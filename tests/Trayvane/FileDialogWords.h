#pragma once

#include "Trayvane/App/QtTranslations.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QRegularExpression>
#include <QStringList>
#include <QTreeView>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::testing {

// Qt's words in `language` while it lives, and its own English again after.
struct QtLanguage {
    explicit QtLanguage(const char* language) { EXPECT_TRUE(app::QtTranslations::use(language)) << language; }
    ~QtLanguage() { app::QtTranslations::use("en"); }
    QtLanguage(const QtLanguage&) = delete;
    QtLanguage& operator=(const QtLanguage&) = delete;
};

// Every word a person meets on a file dialog, less the names of files and
// folders: its labels, its buttons' texts and tips, the types it offers and
// the heads of its columns (also while the list shows no columns). Qt's
// shortcut marks are taken out ("(&L)" reads "(L)", which is still no word).
inline QStringList dialogWords(QFileDialog& dialog) {
    QStringList words;
    const auto add = [&words](QString text) {
        text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        text.remove(QLatin1Char('&'));
        if (!text.trimmed().isEmpty()) {
            words.push_back(text);
        }
    };
    for (auto* label : dialog.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&dialog)) {
            add(label->text());
        }
    }
    for (auto* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&dialog)) {
            add(button->text());
            add(button->toolTip());
        }
    }
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < types->count(); ++i) {
            add(types->itemText(i));
        }
    }
    for (auto* header : dialog.findChildren<QHeaderView*>()) {
        for (int section = 0; section < header->count(); ++section) {
            if (!header->isSectionHidden(section)) {
                add(header->model()->headerData(section, header->orientation()).toString());
            }
        }
    }
    return words;
}

// What the list says of the files it shows (their types and dates), once
// the dialog has read its folder, which it does on a thread of its own.
inline QStringList listedWords(QFileDialog& dialog) {
    QStringList words;
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr) {
        return words;
    }
    QElapsedTimer clock;
    clock.start();
    while (list->model()->rowCount(list->rootIndex()) == 0 && clock.elapsed() < 10'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
        for (const int column : {2, 3}) {
            words.push_back(list->model()->index(row, column, list->rootIndex()).data().toString());
        }
    }
    return words;
}

// The words with a Latin letter in them.
inline QStringList latinWords(const QStringList& words) {
    return words.filter(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

// In Japanese, no word of the dialog has a Latin letter; in English, all but
// the program's own prompt are Qt's English words.
inline void expectWordsIn(const char* language, QFileDialog& dialog) {
    const QStringList words = dialogWords(dialog);
    const QStringList latin = latinWords(words);
    if (std::string_view(language) == "ja") {
        EXPECT_TRUE(latin.isEmpty()) << "every word in Japanese: " << words.join(" | ").toStdString();
        return;
    }
    EXPECT_TRUE(words.contains("Look in:")) << words.join(" | ").toStdString();
    EXPECT_TRUE(words.contains("Cancel")) << words.join(" | ").toStdString();
    EXPECT_EQ(latin.size(), words.size() - 1) << "all but the prompt in English";
}

// What the dialog's "look in" list shows for where it is, and the names of its sidebar's places.
inline std::string lookingIn(QFileDialog& dialog) {
    auto* lookIn = dialog.findChild<QComboBox*>(QStringLiteral("lookInCombo"));
    return lookIn != nullptr ? lookIn->currentText().toStdString() : std::string();
}
inline std::vector<std::string> sidebarPlaces(QFileDialog& dialog) {
    std::vector<std::string> places;
    if (auto* sidebar = dialog.findChild<QListView*>(QStringLiteral("sidebar"))) {
        for (int row = 0; row < sidebar->model()->rowCount(); ++row) {
            if (!sidebar->isRowHidden(row)) {
                places.push_back(sidebar->model()->index(row, 0).data().toString().toStdString());
            }
        }
    }
    return places;
}

} // namespace pellacor::testing
