#include "campaigns/Unsubscribe.h"

#include <QUrl>

namespace {
// An address as a mailto: link writes it, without what could end a header or a link.
QString cleaned(QString address)
{
    address.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    const qsizetype open = address.lastIndexOf(QLatin1Char('<'));
    if (open >= 0 && address.endsWith(QLatin1Char('>')))
        address = address.mid(open + 1, address.size() - open - 2);
    return address.trimmed();
}
}

namespace Unsubscribe {

QString subject(const Request& r) { return QStringLiteral("unsubscribe-") + r.token; }

QString mailto(const Request& r)
{
    const QByteArray to = QUrl::toPercentEncoding(cleaned(r.address), "@+");
    return QStringLiteral("mailto:") + QString::fromLatin1(to) + QStringLiteral("?subject=") + subject(r);
}

QString header(const Request& r) { return QLatin1Char('<') + mailto(r) + QLatin1Char('>'); }

QString appendLine(const QString& body, BodyKind kind, const Request& r)
{
    const QString to = cleaned(r.address);
    if (kind == BodyKind::Html)
        return body
               + QStringLiteral("\r\n<p style=\"font-size:small\">To stop receiving these mails, "
                                "<a href=\"%1\">unsubscribe</a> (a mail to %2 with the subject %3).</p>\r\n")
                     .arg(mailto(r).toHtmlEscaped(), to.toHtmlEscaped(), subject(r));
    return body + QStringLiteral("\r\n\r\nTo stop receiving these mails, send a mail to %1 with the subject %2.")
                      .arg(to, subject(r));
}

QString address(const QString& unsubscribePreference, const QString& sender)
{
    const QString own = cleaned(unsubscribePreference);
    return own.isEmpty() ? cleaned(sender) : own;
}

}
