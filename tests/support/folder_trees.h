#pragma once
// A small tree of folders and files with names in several scripts, written
// locally and compared byte for byte wherever it went.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

// 8 folders (the root's own files included), 60 files of 0 to 70,000 bytes,
// each file's bytes made from its path, so a file swapped for another shows.
inline QMap<QString, QByteArray> sampleTree()
{
    const QStringList folders{"", "docs/", "docs/Ελληνικά/", "Русский/", "日本語/", "日本語/深い/",
                              "café/", "empty-not/"};
    const QStringList stems{"read me", "Straße", "naïve", "файл", "ファイル", "αρχείο", "اسم", ".hidden-ok"};
    QMap<QString, QByteArray> files;
    for (int n = 0; n < 60; ++n) {
        const QString path = folders.at(n % folders.size()) + stems.at(n % stems.size())
                             + QStringLiteral(" %1.bin").arg(n);
        const qsizetype size = (n * 7919) % 70000 * (n % 5 != 0);
        QByteArray bytes(size, '\0');
        const QByteArray seed = path.toUtf8();
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char(seed.at(i % seed.size()) ^ char(i * 31));
        files.insert(path, bytes);
    }
    return files;
}

inline void writeTree(const QString& root, const QMap<QString, QByteArray>& files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = root + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(it.value());
    }
}

// Every file below `root`, by its path below it, hidden ones included.
inline QMap<QString, QByteArray> readTree(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(QDir(root).relativeFilePath(path), file.readAll());
    }
    return files;
}
