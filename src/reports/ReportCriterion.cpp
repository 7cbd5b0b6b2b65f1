#include "reports/ReportCriterion.h"

#include "base/ReportCatalogue.h"

#include <QLocale>

namespace {
bool isNumeric(const QString& text)
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    if (!ok)
        QLocale().toDouble(text.trimmed(), &ok);
    return ok;
}
}

ReportCriterion ReportCriterion::build(const ReportDef& report, const CriterionInput& input)
{
    ReportCriterion c;
    const QString v = input.value.trimmed();
    if (v.isEmpty())
        return c;
    const QString open = QStringLiteral(" And ( ") + report.field + QLatin1Char(' ');
    switch (report.kind) {
    case CriterionKind::PickedNumber:
    case CriterionKind::TypedNumber:
        if (!isNumeric(input.value)) {
            c.check = Check::InvalidCriteria;
            return c;
        }
        c.clause = open + report.op() + v + QStringLiteral(" ) ");
        c.description = input.value + QStringLiteral("- ") + input.typeName;
        break;
    case CriterionKind::TextPrefix:
        c.clause = open + report.op() + QStringLiteral(" '") + v + QStringLiteral("%' ) ");
        c.description = input.value;
        break;
    case CriterionKind::DateRange:
        if (!input.from.isValid() || !input.to.isValid()) {
            c.check = Check::InvalidCriteria;
            return c;
        }
        if (input.from > input.to) {
            c.check = Check::InvalidRange;
            return c;
        }
        c.clause = open + QStringLiteral("Between #") + dateText(input.from) + QStringLiteral("# And #")
            + dateText(input.to) + QStringLiteral("# ) ");
        c.description = input.value + QStringLiteral(" To ") + input.toText;
        break;
    }
    return c;
}

QString ReportCriterion::dateText(const QDate& date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy")).replace(QLatin1Char('.'), QLatin1Char('/'));
}

QString ReportCriterion::message(Check check)
{
    switch (check) {
    case Check::InvalidCriteria:
        return QStringLiteral("Invalid Criteria!");
    case Check::InvalidRange:
        return QStringLiteral("Invalid Range!");
    case Check::Ok:
        break;
    }
    return {};
}
