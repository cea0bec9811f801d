// The shipped translations: every entry finished, its placeholders and
// mnemonic kept, no two mnemonics alike in one window; and a German start
// really speaks German, in our texts, Qt's and the engines'.

#include "app/appearance.h"
#include "app/translations.h"
#include "main_window/engine_messages.h"
#include "main_window/form1.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QString translationsFolder = QStringLiteral(CORVELL_SOURCE_DIR "/translations/");

QStringList placeholders(const QString& text)
{
    QStringList found;
    for (const auto& match : QRegularExpression(QStringLiteral("%(\\d+|n)")).globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

// The letter after a single '&', or a null QChar.
QChar mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

struct Entry {
    QString context, source, translation, type;
};

QList<Entry> readTs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Entry> entries;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            entries.append({context, {}, {}, {}});
        else if (xml.name() == QLatin1String("source"))
            entries.last().source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            entries.last().type = xml.attributes().value(QLatin1String("type")).toString();
            entries.last().translation = xml.readElementText();
        }
    }
    return xml.hasError() ? QList<Entry>{} : entries;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void everyEntryIsFinishedAndKeepsItsMarks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("German") << QStringLiteral("corvell_de.ts");
        QTest::newRow("French") << QStringLiteral("corvell_fr.ts");
    }
    void everyEntryIsFinishedAndKeepsItsMarks()
    {
        QFETCH(QString, file);
        const QList<Entry> entries = readTs(translationsFolder + file);
        QVERIFY2(entries.size() > 200, qPrintable(file));
        QMap<QString, QMap<QChar, QString>> taken;  // per window, and in English under "en:"
        for (const Entry& entry : entries) {
            const QByteArray where = (entry.context + QLatin1String(": ") + entry.source).toUtf8();
            QVERIFY2(entry.type.isEmpty() && !entry.translation.trimmed().isEmpty(), where);
            QCOMPARE(placeholders(entry.translation), placeholders(entry.source));
            QCOMPARE(mnemonic(entry.translation).isNull(), mnemonic(entry.source).isNull());
            for (const auto& [language, text] : {std::pair{QStringLiteral("en:"), entry.source},
                                                 std::pair{QString(), entry.translation}}) {
                const QChar letter = mnemonic(text);
                if (letter.isNull())
                    continue;
                QString& holder = taken[language + entry.context][letter];
                QVERIFY2(holder.isEmpty(), qPrintable(QStringLiteral("%1 and %2 share &%3").arg(holder, text, letter)));
                holder = text;
            }
        }
    }

    void englishNeedsNoFile()
    {
        setProgramFolderForTesting(QStringLiteral(CORVELL_PROGRAM_FOLDER));
        QCOMPARE(installTranslations(*qApp, QLocale(QStringLiteral("en_GB"))), QString());
        Form1 window;
        QCOMPARE(window.PushButton3->text(), QStringLiteral("&Logon"));
    }

    void aGermanStartSpeaksGerman()
    {
        setProgramFolderForTesting(QStringLiteral(CORVELL_PROGRAM_FOLDER));
        QCOMPARE(installTranslations(*qApp, QLocale(QStringLiteral("de_AT"))), QStringLiteral("de"));
        Form1 window;
        QCOMPARE(window.PushButton3->text(), QStringLiteral("&Anmelden"));
        QCOMPARE(window.Label1->text(), QStringLiteral("&Hostname:"));
        // Qt's own buttons come in the same language.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));

        const struct {
            const char* engine;
            const char* shown;
        } messages[] = {
            {"The server refused the logon", "Der Server hat die Anmeldung abgelehnt"},
            {"Cannot connect: Connection refused", "Verbindung nicht möglich: Connection refused"},
            {"The server refused encryption, which this connection requires: 534 No",
             "Der Server hat die Verschlüsselung abgelehnt, die diese Verbindung verlangt: 534 No"},
            {"Closing the file failed: The server closed the connection",
             "Das Schließen der Datei ist fehlgeschlagen: Der Server hat die Verbindung geschlossen"},
            {"530 Login incorrect.", "530 Login incorrect."},
        };
        for (const auto& message : messages)
            QCOMPARE(engineMessage(QString::fromUtf8(message.engine)), QString::fromUtf8(message.shown));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
