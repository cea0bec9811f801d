#pragma once
// Every box the program shows goes through this one interface, so tests can
// answer the boxes and read their texts.

#include <QString>

#include <optional>

class QWidget;

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A plain notice: OK button, no icon, the application title as caption.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // Yes/No with Yes the default; true only for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // Yes/No for a question whose Yes exposes the user (trusting a certificate
    // or a host key, sending the password readable): No is the default and
    // Escape answers No, so a reflexive Enter keeps the user safe. True only
    // for Yes. `warning` adds the warning icon (a key that changed).
    virtual bool confirmRisk(QWidget* parent, const QString& text, bool warning = false) = 0;
    // The input box: returns the text entered, or "" for Cancel.
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& caption) = 0;
    // An input box for a server's question or a secret: the prompt shown as
    // plain text whatever it holds, the typing hidden when `hidden`. Nothing
    // for Cancel; an empty text is an answer.
    virtual std::optional<QString> answerBox(QWidget* parent, const QString& prompt, const QString& caption,
                                             bool hidden) = 0;
    // The "Application Error" warning box.
    virtual void errorReport(QWidget* parent, const QString& text) = 0;
};

// The dialogs in use; real Qt dialogs unless a test installed its own.
UserDialogs& userDialogs();
// Installs `dialogs` (not owned); nullptr restores the real ones.
void setUserDialogs(UserDialogs* dialogs);

// The process-wide text that captionless message boxes carry.
QString applicationTitle();
void setApplicationTitle(const QString& title);
