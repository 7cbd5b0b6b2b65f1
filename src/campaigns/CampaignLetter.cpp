#include "campaigns/CampaignLetter.h"

#include "platform/Recordset.h"

namespace CampaignLetter {

QString mergeTags(QString message, Recordset& customer, QStringList* nullColumns)
{
    for (int i = 0; i < customer.fieldCount(); ++i) {
        Field field = customer.field(i);
        const QString tag = QStringLiteral("<<") + field.name() + QStringLiteral(">>");
        if (!message.contains(tag, Qt::CaseSensitive))
            continue;
        if (field.value().isNull()) {
            if (nullColumns)
                nullColumns->append(field.name());
            continue;
        }
        message.replace(tag, field.text(), Qt::CaseSensitive);
    }
    return message;
}

QString surveyLinkBlock(const QString& link)
{
    return QStringLiteral("<br><br>") + QStringLiteral("Survey Link:") + QStringLiteral("<br>") + link + QStringLiteral("<br>");
}

QString trackingFooter(const QString& prefix, const QString& entryDate, const QString& id)
{
    return QStringLiteral("\r\n\r\n") + prefix + entryDate + QLatin1Char('-') + id.trimmed();
}

}
