#pragma once
// An address pasted or typed into the Host field ("sftp://ann@web:2222/srv",
// "ann@web") fills the User and Port fields at logon, and names the folder
// to open once logged on. Only scheme and host stay in the Host field, so
// the settings never keep a password that came with an address: such a
// password is dropped, and the Password field is what logs on.

#include <QString>

class QLineEdit;

// Moves user and port out of `host` into `user` and `port`; the folder the
// address names, "" for none.
QString takePastedAddress(QLineEdit* host, QLineEdit* user, QLineEdit* port);

// The Host field's text as the settings may keep it: without a password.
QString hostFieldToKeep(const QString& typed);
