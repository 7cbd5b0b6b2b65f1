#include "base/Schema.h"

#include "base/CampaignFamily.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "base/SchemaUpgrade.h"
#include "base/UnsubscribeToken.h"

#include <QStringList>

namespace {
using C = SchemaColumn;

SchemaColumn text(const char* name, int width) { return {QString::fromLatin1(name), C::Text, width}; }
SchemaColumn letter(const char* name) { return text(name, 1); }
SchemaColumn id(const char* name, const char* master = "") { return {QString::fromLatin1(name), C::Id, 0, QString::fromLatin1(master)}; }
SchemaColumn number(const char* name) { return {QString::fromLatin1(name), C::Number, 0}; }
SchemaColumn date(const char* name) { return {QString::fromLatin1(name), C::Date, 0}; }
SchemaColumn memo(const char* name) { return {QString::fromLatin1(name), C::Memo, 65500}; }
SchemaColumn bytes(const char* name) { return {QString::fromLatin1(name), C::Bytes, 0}; }

SchemaTable make(const char* name, QVector<SchemaColumn> rest)
{
    SchemaTable t{QString::fromLatin1(name), {id("EId"), date("EDate")}};
    t.columns += rest;
    return t;
}

QVector<SchemaTable> build()
{
    QVector<SchemaTable> all;
    all << make("ktCustomer", {text("CTitle", 5), text("CFirst", 20), text("CLast", 20), text("CCompany", 50),
                               text("CAddr1", 50), text("CAddr2", 50), text("CCity", 20), text("CState", 20),
                               text("CCountry", 20), text("CZipCode", 10), text("CTelOff", 20),
                               text("CTelHome", 20), text("CTelMob", 20), text("CFax", 20), text("CEmail", 50),
                               text("CWebsite", 50), id("CType", "kmCustType"), letter("CActive"), text("CRemarks", 50)});
    all << make("kmCustType", {text("CCategory", 10), text("CRemarks", 20)});
    all << make("kmNewsType", {text("NCategory", 10), text("NRemarks", 20)});
    all << make("ktNews", {id("NType", "kmNewsType"), text("NReference", 50), text("NSubject", 50), memo("NMessage"),
                           text("NRemarks", 20)});
    all << make("ktLead", {text("LReference", 50), text("LSubject", 50), memo("LMessage"), text("LRemarks", 20)});
    {
        QVector<SchemaColumn> cols{letter("SType"), number("SCount"), text("SName", 50), text("SMessage", 250),
                                   text("SLink", 150)};
        for (int q = 1; q <= 10; ++q)
            cols << SchemaColumn{QStringLiteral("SQuery%1").arg(q), C::Text, 250};
        cols << text("SRemarks", 20);
        all << make("ktSurvey", cols);
    }
    {
        QVector<SchemaColumn> cols{id("SSurveyId", "ktSurvey")};
        for (int a = 1; a <= 10; ++a)
            cols << SchemaColumn{QStringLiteral("SAnswer%1").arg(a), C::Number, 0};
        cols << text("SRemarks", 20);
        all << make("ktSUpdate", cols);
    }
    for (const CampaignFamily& f : CampaignFamily::all())
        all << make(f.table().toLatin1(), {{f.contentColumn(), C::Id, 0, f.contentTable()},
                                           {f.column(QStringLiteral("CType")), C::Id, 0, QStringLiteral("kmCustType")},
                                           {f.column(QStringLiteral("Criteria")), C::Text, 100},
                                           {f.column(QStringLiteral("SentDate")), C::Date, 0},
                                           {f.column(QStringLiteral("Remarks")), C::Text, 20}});
    all << make("kaEnterprise", {text("EName", 30), text("EShort", 15), text("EDesc", 30), text("EAddr1", 30),
                                 text("EAddr2", 30), text("EAddr3", 30), text("ECity", 20), text("EState", 20),
                                 text("ECountry", 20), text("ETelephone", 30), text("EEmail", 50),
                                 text("EWebsite", 50), text("EPasscd", 10), text("ERemarks", 20)});
    all << make("kaUser", {text("ULogin", 10), text("UPasscd", 10), text("UHint", 10), letter("UMode"),
                           text("URemarks", 20)});
    all << make("kaPreference", {letter("PMailFoot"), letter("PMailType"), text("PSmtpSrvr", 50),
                                 text("PSmtpPort", 10), text("PSmtpFrom", 50), text("PSmtpUser", 50),
                                 text("PPasscd", 20), text("PRemarks", 20),
                                 // version 2: bulk-mail settings, after the first eight; the
                                 // tokens' key is named like the passwords, which no grid shows
                                 text("PUnsubAddr", 50), text("PReplyTo", 50), text("PRateLimit", 6),
                                 text("PImapSrvr", 50), text("PImapPort", 10), text("PImapFolder", 50),
                                 text("PTokenPasscd", 64)});
    all << make("kaCustomize", {text("CBackColor", 10), text("CTexTure", 10), text("CTextFont", 10),
                                text("CTextSize", 10), text("CTextColor", 10), letter("CDefaScrn"),
                                letter("CAdminDisp"), letter("CModiPass"), letter("CAllowDele"),
                                letter("CDelePass"), letter("CShowDash"), text("CRemarks", 20)});
    // version 2: addresses no campaign may mail, and the schema's version
    all << make("kaSuppression", {text("SAddress", 50), letter("SReason"), text("SCampaign", 30),
                                  text("SRemarks", 20)});
    all << make("kaVersion", {number("VNumber")});
    // version 3: the letters' pictures, each under the Content-ID its HTML names it by (cid:)
    all << make("kaPicture", {text("PCid", 64), text("PName", 100), text("PType", 50), number("PSize"),
                              bytes("PData")});
    return all;
}
}

namespace Schema {

const QVector<SchemaTable>& tables()
{
    static const QVector<SchemaTable> all = build();
    return all;
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
