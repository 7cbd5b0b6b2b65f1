#include "engine/CriterionText.h"

#include "base/Program.h"
#include "platform/DateText.h"
#include "platform/DbTypes.h"

namespace CriterionText {

namespace {
bool isNumberType(int fieldType) { return fieldType == FieldType::Integer || fieldType == FieldType::Double; }
}

QStringList operators()
{
    return {QStringLiteral("Like"), QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"),
            QStringLiteral(">="), QStringLiteral("<"), QStringLiteral("<=")};
}

std::optional<QString> numberText(const QString& text)
{
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!IsNumberText(number))
        return std::nullopt;
    return number;
}

std::optional<QString> literal(int fieldType, const QString& op, const QString& value)
{
    const QString typed = value.trimmed();
    if (isNumberType(fieldType))
        return numberText(typed);
    if (fieldType == FieldType::Date) {
        const QDate date = DateText::parse(typed);
        if (!date.isValid())
            return std::nullopt;
        return DateText::accessLiteral(date);
    }
    return QLatin1Char('\'') + typed + (op == QLatin1String("Like") ? QStringLiteral("%'") : QStringLiteral("'"));
}

std::optional<QString> condition(const QString& column, const QString& op, const QString& value, int fieldType)
{
    if (value.trimmed().isEmpty())
        return QStringLiteral("1=1");
    const std::optional<QString> text = literal(fieldType, op, value);
    if (!text)
        return std::nullopt;
    const bool quoted = !isNumberType(fieldType) && fieldType != FieldType::Date;
    return column + QLatin1Char(' ') + op + QLatin1Char(' ') + *text + (quoted ? QStringLiteral(" ") : QString());
}

}
