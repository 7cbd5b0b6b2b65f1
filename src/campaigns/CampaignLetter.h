#pragma once
#include "base/CampaignFamily.h"

#include <QString>
#include <QStringList>

class Recordset;

// Builds the body of one campaign message from the content row and one customer row:
// MergeTags replaced (newsletters), the survey link (surveys) and the tracking footer.
namespace CampaignLetter {

// Replaces every "<<Column>>" of the customer row's columns, in column order, by the
// column's value as text; matching is case-sensitive. A column whose value is Null cannot be
// merged: its tag stays, and its name is added to nullColumns (every Null column counts,
// used in the message or not).
QString mergeTags(QString message, Recordset& customer, QStringList* nullColumns);

// "<br><br>Survey Link:<br>" + link + "<br>"
QString surveyLinkBlock(const QString& link);

// CR LF CR LF + prefix + the content's entry date as text + "-" + its id, trimmed.
QString trackingFooter(const QString& prefix, const QString& entryDate, const QString& id);

}
