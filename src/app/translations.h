#pragma once
// The language the windows speak: the first of the user's languages
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) that Corvell has a translation for,
// with Qt's own texts ("Yes", "Cancel") in the same language. English, the
// language the texts are written in, needs no file.

#include <QLocale>
#include <QString>

class QCoreApplication;

// Where the translations are looked for: next to the program (the build
// folder), then in the installed data folder.
QStringList translationFolders();

// Installs the translations for `locale`'s languages into `application`.
// Returns the language chosen ("de", "fr"), or "" for English.
QString installTranslations(QCoreApplication& application, const QLocale& locale = QLocale::system());
