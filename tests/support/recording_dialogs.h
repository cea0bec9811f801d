#pragma once
// Answers every box the program shows and records what it was asked, so GUI
// tests never block on a modal dialog.

#include "main_window/user_dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

struct RecordedBox {
    enum Kind { Message, Confirm, Input, ErrorReport } kind;
    QString text;
    QString caption;  // the application title for messages and confirmations
    bool noIsDefault = false;  // a confirmation whose default answer is No
};

class RecordingDialogs final : public UserDialogs {
public:
    RecordingDialogs() { setUserDialogs(this); }
    ~RecordingDialogs() override { setUserDialogs(nullptr); }

    // Answers for the next confirmations (true = Yes) and input boxes, in order.
    // Without a queued answer a confirmation is answered Yes, a cautious
    // question No (its default button) and an input box "".
    std::deque<bool> confirmAnswers;
    std::deque<QString> inputAnswers;
    // Runs when a message box shows, e.g. to look at the window at that moment.
    std::function<void(const RecordedBox&)> onBox;

    QList<RecordedBox> boxes;

    QStringList texts() const
    {
        QStringList result;
        for (const auto& box : boxes)
            result << box.text;
        return result;
    }
    QStringList texts(RecordedBox::Kind kind) const
    {
        QStringList result;
        for (const auto& box : boxes)
            if (box.kind == kind)
                result << box.text;
        return result;
    }
    void clear() { boxes.clear(); }

    void message(QWidget*, const QString& text) override { record({RecordedBox::Message, text, applicationTitle()}); }
    bool confirm(QWidget*, const QString& text) override { return answer({RecordedBox::Confirm, text, applicationTitle()}); }
    // Unanswered, a risky question gets its default answer: No.
    bool confirmRisk(QWidget*, const QString& text, bool) override
    {
        if (confirmAnswers.empty()) {
            record({RecordedBox::Confirm, text, applicationTitle(), true});
            return false;
        }
        return answer({RecordedBox::Confirm, text, applicationTitle(), true});
    }
    QString inputBox(QWidget*, const QString& prompt, const QString& caption) override
    {
        record({RecordedBox::Input, prompt, caption});
        if (inputAnswers.empty())
            return {};
        const QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    // Takes its answer from inputAnswers too; none queued answers Cancel.
    std::optional<QString> answerBox(QWidget*, const QString& prompt, const QString& caption, bool hidden) override
    {
        record({RecordedBox::Input, prompt, caption, false});
        answerHidden << hidden;
        if (inputAnswers.empty())
            return std::nullopt;
        const QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    QList<bool> answerHidden;  // per answer box: whether the typing was hidden
    void errorReport(QWidget*, const QString& text) override
    {
        record({RecordedBox::ErrorReport, text, QStringLiteral("Application Error")});
    }

private:
    bool answer(const RecordedBox& box)
    {
        record(box);
        if (confirmAnswers.empty())
            return true;
        const bool given = confirmAnswers.front();
        confirmAnswers.pop_front();
        return given;
    }
    void record(const RecordedBox& box)
    {
        boxes << box;
        if (onBox)
            onBox(box);
    }
};
