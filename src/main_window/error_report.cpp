#include "main_window/error_report.h"

#include "main_window/user_dialogs.h"

#include <QCoreApplication>

namespace {
struct ErrorTexts {
    Q_DECLARE_TR_FUNCTIONS(ErrorReport)
};
// Read when a report is made, so it comes in the language loaded by then.
QString productStamp() { return ErrorTexts::tr("in Corvell2021/08/31."); }
// Set when the program is built (CORVELL_BUG_REPORT_URL), as packagers choose.
const QString supportAddress = QStringLiteral(CORVELL_BUG_REPORT_URL);
} // namespace

QString errorReportText(const QString& description, const QString& procedureIdentifier, int step)
{
    return description + QStringLiteral("\r\n")
           + ErrorTexts::tr("%1at line %2").arg(procedureIdentifier, QString::number(step)) + QStringLiteral("\r\r")
           + ErrorTexts::tr("Please email screenshot of this message to %1").arg(supportAddress);
}

void report(QWidget* parent, const QString& description, const QString& procedureIdentifier, int step)
{
    userDialogs().errorReport(parent, errorReportText(description, procedureIdentifier, step));
}

StepRunner::StepRunner(QWidget* parent, const QString& procedure)
    : parent_(parent), identifier_(productStamp() + procedure + QLatin1Char(' '))
{
}

void StepRunner::fail(int label, const QString& description)
{
    report(parent_, description, identifier_, label);
}

long long toWholeNumber(const QString& text, long long minimum, long long maximum)
{
    bool converted = false;
    const long long value = text.trimmed().toLongLong(&converted);
    if (!converted)
        throw StepFailure(ErrorTexts::tr("Type mismatch: \"%1\" is not a whole number").arg(text));
    if (value < minimum || value > maximum)
        throw StepFailure(ErrorTexts::tr("Overflow: %1 is outside %2 to %3")
                              .arg(text, QString::number(minimum), QString::number(maximum)));
    return value;
}
