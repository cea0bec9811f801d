#include "main_window/user_dialogs.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {

class QtDialogs final : public UserDialogs {
public:
    void message(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool confirm(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }

    bool confirmRisk(QWidget* parent, const QString& text, bool warning) override
    {
        QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::NoIcon, applicationTitle(), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    QString inputBox(QWidget* parent, const QString& prompt, const QString& caption) override
    {
        bool accepted = false;
        const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal,
                                                   QString(), &accepted);
        return accepted ? text : QString();
    }

    std::optional<QString> answerBox(QWidget* parent, const QString& prompt, const QString& caption,
                                     bool hidden) override
    {
        QInputDialog box(parent);
        box.setWindowTitle(caption);
        box.setLabelText(prompt);
        box.setTextEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
        // A server's words are never markup.
        for (QLabel* label : box.findChildren<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        if (box.exec() != QDialog::Accepted)
            return std::nullopt;
        return box.textValue();
    }

    void errorReport(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("ErrorReport", "Application Error"), text,
                        QMessageBox::Ok, parent);
        box.exec();
    }
};

QtDialogs realDialogs;
UserDialogs* installed = nullptr;
QString title;

} // namespace

UserDialogs& userDialogs() { return installed ? *installed : realDialogs; }
void setUserDialogs(UserDialogs* dialogs) { installed = dialogs; }

QString applicationTitle() { return title; }
void setApplicationTitle(const QString& text) { title = text; }
