#include "main_window/error_report.h"

#include "main_window/user_dialogs.h"

namespace {
const QString productStamp = QStringLiteral("in Corvell2021/08/31.");
// Set when the program is built (CORVELL_BUG_REPORT_URL), as packagers choose.
const QString supportAddress = QStringLiteral(CORVELL_BUG_REPORT_URL);
} // namespace

QString errorReportText(const QString& description, const QString& procedureIdentifier, int step)
{
    return description + QStringLiteral("\r\n") + procedureIdentifier + QStringLiteral("at line ")
           + QString::number(step) + QStringLiteral("\r\r")
           + QStringLiteral("Please email screenshot of this message to ") + supportAddress;
}

void report(QWidget* parent, const QString& description, const QString& procedureIdentifier, int step)
{
    userDialogs().errorReport(parent, errorReportText(description, procedureIdentifier, step));
}

StepRunner::StepRunner(QWidget* parent, const QString& procedure)
    : parent_(parent), identifier_(productStamp + procedure + QLatin1Char(' '))
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
        throw StepFailure(QStringLiteral("Type mismatch: \"%1\" is not a whole number").arg(text));
    if (value < minimum || value > maximum)
        throw StepFailure(QStringLiteral("Overflow: %1 is outside %2 to %3").arg(text).arg(minimum).arg(maximum));
    return value;
}
