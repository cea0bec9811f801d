#include "app/translations.h"

#include "app/appearance.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QStringList translationFolders()
{
    QStringList folders;
    for (const QString& folder : programDataFolders())
        folders << folder + QStringLiteral("/translations");
    return folders;
}

QString installTranslations(QCoreApplication& application, const QLocale& locale)
{
    const QStringList folders = translationFolders();
    for (const QString& language : locale.uiLanguages()) {
        const QLocale wanted(language);
        // A user who puts English before German wants English, though
        // there is no file for it.
        if (wanted.language() == QLocale::English || wanted.language() == QLocale::C)
            return QString();
        for (const QString& folder : folders) {
            auto* own = new QTranslator(&application);
            if (!own->load(wanted, QStringLiteral("corvell"), QStringLiteral("_"), folder)) {
                delete own;
                continue;
            }
            QCoreApplication::installTranslator(own);
            auto* qt = new QTranslator(&application);
            if (qt->load(wanted, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                QCoreApplication::installTranslator(qt);
            else
                delete qt;
            return QLocale(own->language()).name().section(QLatin1Char('_'), 0, 0);
        }
    }
    return QString();
}
