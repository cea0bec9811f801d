#pragma once
// The protocol engines speak plain C++ and English; their fixed messages are
// put in the user's language here, where the window shows them. What a server
// sent is never translated: it is shown as it came.

#include <QString>

// `text` in the user's language when it is one of the engines' fixed
// messages, or starts with one of their fixed leads ("Cannot connect: ...",
// whose rest stays as it came); otherwise `text` unchanged.
QString engineMessage(const QString& text);
