#pragma once
// Remote names are bytes. A name in valid UTF-8 shows as its text; every byte
// of a name that is not (a server on a legacy 8-bit file system) shows as the
// private-use character U+F700 plus the byte, so the text converts back to
// exactly the bytes the server listed and every later command finds the file.

#include <QString>

#include <string>

QString fromRemote(const std::string& bytes);
std::string toRemote(const QString& text);
