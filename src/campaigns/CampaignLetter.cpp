#include "campaigns/CampaignLetter.h"

#include "platform/Recordset.h"

namespace CampaignLetter {

QString mergeTags(QString message, Recordset& customer, QStringList* nullColumns)
{
    for (int i = 0; i < customer.fieldCount(); ++i) {
        Field field = customer.field(i);
        // A Null value cannot become text: the step fails whether or not its tag is used.
        if (field.value().isNull()) {
            if (nullColumns)
                nullColumns->append(field.name());
            continue;
        }
        message.replace(QStringLiteral("<<") + field.name() + QStringLiteral(">>"), field.text(), Qt::CaseSensitive);
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
