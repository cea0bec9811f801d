#pragma once
// The "Application Error" report and the step runner that gives every
// step-labelled procedure the same rule: run the step, and when it fails show
// the report naming the procedure and the step, then go on with the next step.

#include <QCoreApplication>
#include <QString>

#include <stdexcept>
#include <string>
#include <utility>

class QWidget;

// Thrown inside a step to fail it with a description.
class StepFailure : public std::runtime_error {
public:
    explicit StepFailure(const QString& description)
        : std::runtime_error(description.toStdString()) {}
};

// The full text of the report box.
QString errorReportText(const QString& description, const QString& procedureIdentifier, int step);

// Shows the report through the user dialogs.
void report(QWidget* parent, const QString& description, const QString& procedureIdentifier, int step);

class StepRunner {
public:
    // `procedure` is e.g. "Form1.PushButton3_Click"; the identifier is derived from it.
    StepRunner(QWidget* parent, const QString& procedure);

    // Runs `action` as step `label`. Returns true when it completed; on a
    // failure shows the report and returns false.
    template <typename Action>
    bool step(int label, Action&& action)
    {
        try {
            std::forward<Action>(action)();
            return true;
        } catch (const std::exception& failure) {
            fail(label, QString::fromStdString(failure.what()));
        } catch (...) {
            fail(label, QCoreApplication::translate("ErrorReport", "Unexpected failure"));
        }
        return false;
    }

    const QString& identifier() const { return identifier_; }
    void fail(int label, const QString& description);

private:
    QWidget* parent_;
    QString identifier_;
};

// Conversions that fail through the step runner with a clear description.
// A whole number within [minimum, maximum]; throws StepFailure otherwise.
long long toWholeNumber(const QString& text, long long minimum, long long maximum);
