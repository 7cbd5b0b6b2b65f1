#include "base/UnsubscribeToken.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {
constexpr int kHashBytes = 12;

struct Kind {
    char letter;
    const char* table;
};
constexpr Kind kKinds[] = {{'S', "ktSNews"}, {'M', "ktMLead"}, {'E', "ktESurvey"}};

QByteArray hash(const QString& key, QChar letter, qint64 campaign, qint64 customer)
{
    const QByteArray message = QStringLiteral("%1%2-%3").arg(letter).arg(campaign).arg(customer).toLatin1();
    return QMessageAuthenticationCode::hash(message, QByteArray::fromHex(key.toLatin1()), QCryptographicHash::Sha256)
        .left(kHashBytes)
        .toHex();
}
}

namespace UnsubscribeToken {

QByteArray newKey()
{
    QByteArray key(32, Qt::Uninitialized);
    QRandomGenerator::system()->generate(key.begin(), key.end());
    return key.toHex();
}

QString make(const QString& key, const Recipient& r)
{
    for (const Kind& k : kKinds)
        if (r.campaignTable.compare(QLatin1String(k.table), Qt::CaseInsensitive) == 0) {
            const QChar letter = QLatin1Char(k.letter);
            return QStringLiteral("%1%2-%3-%4")
                .arg(letter)
                .arg(r.campaignId)
                .arg(r.customerId)
                .arg(QString::fromLatin1(hash(key, letter, r.campaignId, r.customerId)));
        }
    return {};
}

std::optional<Recipient> verify(const QString& key, const QString& token)
{
    static const QRegularExpression form(QStringLiteral("^([SME])(\\d{1,18})-(\\d{1,18})-([0-9a-f]{%1})$")
                                             .arg(kHashBytes * 2),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(token.trimmed());
    if (!m.hasMatch() || key.isEmpty())
        return std::nullopt;
    const QChar letter = m.captured(1).at(0).toUpper();
    const qint64 campaign = m.captured(2).toLongLong(), customer = m.captured(3).toLongLong();
    const QByteArray expected = hash(key, letter, campaign, customer);
    const QByteArray given = m.captured(4).toLower().toLatin1();
    // Compared in full, whatever differs where: the time taken tells nothing.
    int differ = 0;
    for (int i = 0; i < expected.size(); ++i)
        differ |= expected[i] ^ given[i];
    if (differ != 0)
        return std::nullopt;
    for (const Kind& k : kKinds)
        if (letter == QLatin1Char(k.letter))
            return Recipient{QLatin1String(k.table), campaign, customer};
    return std::nullopt;
}

QString campaignName(const QString& campaignTable, qint64 campaignId)
{
    return campaignTable + QLatin1Char(' ') + QString::number(campaignId);
}

}
