#include "platform/DateText.h"

#include <QLocale>
#include <QRegularExpression>

namespace DateText {

QString shortDateFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    // A locale whose short date spells the month (the C locale's "d MMM yyyy") gets the
    // classic numeric month/day/year form instead.
    if (f.contains(QLatin1String("MMM")))
        return QStringLiteral("MM/dd/yyyy");
    // Normalise each part to its full width: dd, MM and yyyy.
    static const QRegularExpression day(QStringLiteral("d+")), month(QStringLiteral("M+")), year(QStringLiteral("y+"));
    f.replace(day, QStringLiteral("dd"));
    f.replace(month, QStringLiteral("MM"));
    f.replace(year, QStringLiteral("yyyy"));
    return f;
}

QString format(const QDate& date)
{
    return date.isValid() ? QLocale().toString(date, shortDateFormat()) : QString();
}

QString format(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return format(value.toDate());
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return format(dt.date());
        return format(dt.date()) + QLatin1Char(' ') + QLocale().toString(dt.time(), QLocale::ShortFormat);
    }
    const QDate d = parse(value.toString());
    return d.isValid() ? format(d) : value.toString();
}

QDate parse(const QString& raw)
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return {};
    QDate d = QDate::fromString(text.left(10), Qt::ISODate);
    if (d.isValid() && text.size() >= 10 && text.at(4) == QLatin1Char('-'))
        return d;
    const QString full = shortDateFormat();
    d = QLocale().toDate(text, full);
    if (d.isValid())
        return d;
    // The same order with single-digit parts or a two-digit year.
    QString loose = full;
    loose.replace(QStringLiteral("dd"), QStringLiteral("d")).replace(QStringLiteral("MM"), QStringLiteral("M"));
    d = QLocale().toDate(text, loose);
    if (d.isValid())
        return d;
    QString shortYear = loose;
    shortYear.replace(QStringLiteral("yyyy"), QStringLiteral("yy"));
    d = QLocale().toDate(text, shortYear);
    if (d.isValid() && d.year() < 1950)
        d = d.addYears(100);
    return d;
}

bool isDate(const QString& text) { return parse(text).isValid(); }

QString toIso(const QDate& date) { return date.toString(Qt::ISODate); }

namespace {
// The number written by `count` digits at text[from], or -1.
int digits(const char* text, int from, int count)
{
    int n = 0;
    for (int i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}
}

QVariant fromStored(const char* text, int size, Midnight midnight)
{
    if (size < 10 || text[4] != '-' || text[7] != '-' || digits(text, 0, 4) < 1)
        return {};
    const QDate d(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    if (!d.isValid())
        return {};
    if (size == 10)
        return d;
    if (size < 19 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')
        return {};
    const QTime t(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
    if (!t.isValid())
        return {};
    if (midnight == Midnight::IsDate && t == QTime(0, 0))
        return d;
    return QDateTime(d, t);
}

QString accessLiteral(const QDate& date) { return QLatin1Char('#') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('#'); }

}
