#pragma once
// Per-user named text values, addressed by application, section and value name.

#include <QString>

QString GetSetting(const QString& application, const QString& section, const QString& name,
                   const QString& defaultValue);
void SaveSetting(const QString& application, const QString& section, const QString& name,
                 const QString& value);
// Whether a value was ever written under the name, and taking it out again.
bool HasSetting(const QString& application, const QString& section, const QString& name);
void DeleteSetting(const QString& application, const QString& section, const QString& name);
