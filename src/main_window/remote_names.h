#pragma once
// Remote names are bytes. A name in valid UTF-8 shows as its text; every byte
// of a name that is not (a server on a legacy 8-bit file system) shows as the
// private-use character U+F700 plus the byte, so the text converts back to
// exactly the bytes the server listed and every later command finds the file.

#include <QString>

#include <string>

QString fromRemote(const std::string& bytes);
std::string toRemote(const QString& text);

// How a name shows to the user. The escapes above keep the bytes but read as
// boxes, so a name that is not UTF-8 shows decoded as Windows-1252, the usual
// 8-bit encoding of such servers ("R\xE9sum\xE9.txt" shows as "Résumé.txt").
// Shown text only: commands keep using the listed bytes.
QString displayName(const std::string& bytes);
// A path's bytes, each "/"-separated part shown as displayName shows it.
QString displayPath(const std::string& bytes);
