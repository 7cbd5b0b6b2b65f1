#include "base/Schema.h"

#include "base/ModuleCatalogue.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "base/SchemaUpgrade.h"
#include "base/UnsubscribeToken.h"

#include <QStringList>

#include <algorithm>

namespace {
using C = SchemaColumn;

// Every record module's table, as its catalogue entry tells it, then the tables no screen edits.
QVector<SchemaTable> build()
{
    QVector<SchemaTable> all;
    for (const ModuleDef& m : ModuleCatalogue::modules())
        all << SchemaTable{m.table, m.columns, m.since};
    all << SchemaTable{QStringLiteral("kaVersion"), {C::id("EId"), C::date("EDate"), C::number("VNumber")}, 2};
    // the letters' pictures, each under the Content-ID its HTML names it by (cid:)
    all << SchemaTable{QStringLiteral("kaPicture"),
                       {C::id("EId"), C::date("EDate"), C::text("PCid", 64), C::text("PName", 100),
                        C::text("PType", 50), C::number("PSize"), C::bytes("PData")},
                       3};
    return all;
}
}

namespace Schema {

const QVector<SchemaTable>& tables()
{
    static const QVector<SchemaTable> all = build();
    return all;
}

int newestVersion()
{
    static const int newest = [] {
        int found = 1;
        for (const SchemaTable& t : tables()) {
            found = std::max(found, t.since);
            for (const SchemaColumn& c : t.columns)
                found = std::max(found, c.since);
        }
        return found;
    }();
    return newest;
}

const SchemaTable* table(const QString& name)
{
    for (const SchemaTable& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString columnDefinition(const SchemaColumn& c)
{
    QString type;
    if (c.name == QLatin1String("EId"))
        type = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    else
        switch (c.kind) {
        case C::Id:
        case C::Number: type = QStringLiteral("INTEGER"); break;
        case C::Date: type = QStringLiteral("DATETIME"); break;
        case C::Text: type = QStringLiteral("VARCHAR(%1)").arg(c.width); break;
        case C::Memo: type = QStringLiteral("MEMO"); break;
        case C::Bytes: type = QStringLiteral("BLOB"); break;
        }
    return c.name + QLatin1Char(' ') + type;
}

QString createStatement(const SchemaTable& t)
{
    QStringList defs;
    for (const SchemaColumn& c : t.columns)
        defs << columnDefinition(c);
    return QStringLiteral("CREATE TABLE ") + t.name + QStringLiteral(" (") + defs.join(QStringLiteral(", "))
           + QLatin1Char(')');
}

void createTables(Connection& c)
{
    for (const SchemaTable& t : Schema::tables())
        c.execute(Schema::createStatement(t));
}

void insertRequiredRows(Connection& c)
{
    const QString d = DateText::toIso(state().clock.today());
    c.execute(QStringLiteral("INSERT INTO kaEnterprise (EDate, EName, EShort, EDesc, EAddr1, EAddr2, EAddr3, ECity, "
                             "EState, ECountry, ETelephone, EEmail, EWebsite, EPasscd, ERemarks) VALUES ('%1', "
                             "'Korvina Trading Company', 'Korvina', 'Customer marketing', '1 Harbour Street', "
                             "'Suite 4', 'Dock Lane', 'Bristol', 'Avon', 'United Kingdom', '+44 117 496 0000', "
                             "'office@example.com', 'www.example.com', 'Access', 'Installed')")
                  .arg(d));
    c.execute(QStringLiteral("INSERT INTO kaUser (EDate, ULogin, UPasscd, UHint, UMode, URemarks) VALUES "
                             "('%1', '%2', 'korvina', 'product', 'A', 'Administrator')")
                  .arg(d, QString(AdministratorLogin)));
    c.execute(QStringLiteral("INSERT INTO kaPreference (EDate, PMailFoot, PMailType, PSmtpSrvr, PSmtpPort, PSmtpFrom, "
                             "PSmtpUser, PPasscd, PRemarks) VALUES ('%1', 'Y', 'S', 'localhost', '25', "
                             "'office@example.com', 'office', 'secret', 'Mail settings')")
                  .arg(d));
    fillMailSettings(c);
    c.execute(QStringLiteral("INSERT INTO kaCustomize (EDate, CBackColor, CTexTure, CTextFont, CTextSize, CTextColor, "
                             "CDefaScrn, CAdminDisp, CModiPass, CAllowDele, CDelePass, CShowDash, CRemarks) VALUES "
                             "('%1', '16777215', '12632256', 'Arial', '10', '8388608', 'N', 'N', 'N', 'Y', 'N', 'Y', "
                             "'Look and behaviour')")
                  .arg(d));
    c.backend().execute(QStringLiteral("INSERT INTO kaVersion (EDate, VNumber) VALUES (?, ?)"),
                        {d, SchemaUpgrade::currentVersion()});
}

void fillMailSettings(Connection& c)
{
    const QString key = QString::fromLatin1(UnsubscribeToken::newKey());
    c.backend().execute(QStringLiteral("UPDATE kaPreference SET PUnsubAddr = PSmtpFrom, PReplyTo = PSmtpFrom, PRateLimit = '0', "
                                       "PImapSrvr = PSmtpSrvr, PImapPort = '993', PImapFolder = 'Korvina Handled', "
                                       "PTokenPasscd = ?"),
                        {key});
}

}
