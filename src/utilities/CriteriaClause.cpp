#include "utilities/CriteriaClause.h"

#include "base/Program.h"
#include "platform/DateText.h"
#include "platform/DbTypes.h"

namespace CriteriaClause {

std::optional<QString> numberText(const QString& text)
{
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!IsNumberText(number))
        return std::nullopt;
    return number;
}

std::optional<QString> build(const QString& column, const QString& op, const QString& value, int type)
{
    const QString v = value.trimmed();
    if (v.isEmpty())
        return QStringLiteral("1=1");
    QString clause = column + QLatin1Char(' ') + op + QLatin1Char(' ');
    switch (type) {
    case FieldType::Integer:
    case FieldType::Double: {
        const std::optional<QString> number = numberText(v);
        if (!number)
            return std::nullopt;
        return clause + *number;
    }
    case FieldType::Date: {
        const QDate date = DateText::parse(v);
        if (!date.isValid())
            return std::nullopt;
        return clause + DateText::accessLiteral(date);
    }
    default:
        return clause + QLatin1Char('\'') + v
               + (op == QLatin1String("Like") ? QStringLiteral("%' ") : QStringLiteral("' "));
    }
}

}
