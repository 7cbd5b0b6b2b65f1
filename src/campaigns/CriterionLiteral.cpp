#include "campaigns/CriterionLiteral.h"

#include "platform/DateText.h"
#include "platform/DbTypes.h"

QString CriterionLiteral(int fieldType, const QString& op, const QString& value, bool* ok)
{
    const QString typed = value.trimmed();
    *ok = true;
    if (fieldType == FieldType::Integer || fieldType == FieldType::Double) {
        QString number = typed;
        number.replace(QLatin1Char(','), QLatin1Char('.'));
        number.toDouble(ok);
        return number;
    }
    if (fieldType == FieldType::Date) {
        const QDate date = DateText::parse(typed);
        *ok = date.isValid();
        return *ok ? DateText::accessLiteral(date) : QString();
    }
    const bool like = op == QLatin1String("Like");
    return QLatin1Char('\'') + typed + (like ? QStringLiteral("%'") : QStringLiteral("'"));
}
