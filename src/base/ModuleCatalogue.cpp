#include "base/ModuleCatalogue.h"

#include "base/CampaignFamily.h"

#include <algorithm>

namespace {

// A key or number box holds the longest key the database gives (a 32-bit whole number), so
// that an id of a million and above, put in by the program, shows whole.
constexpr int kIdLength = 10;
using B = FieldDef::Button;
using C = SchemaColumn;

FieldDef text() { return {}; }

FieldDef cycle(const char* choices, bool enabled = true)
{
    FieldDef d;
    d.button = B::Cycle;
    d.listCaption = QString::fromLatin1(choices);
    d.enabled = enabled;
    return d;
}

FieldDef pick(const char* source)
{
    FieldDef d;
    d.kind = FieldKind::MasterId;
    d.button = B::PickList;
    d.pickListSource = QString::fromLatin1(source);
    d.listCaption = QStringLiteral(".");
    d.enabled = false;
    d.rightAligned = true;
    return d;
}

FieldDef date(bool enabled = true)
{
    FieldDef d;
    d.kind = FieldKind::Date;
    d.enabled = enabled;
    return d;
}

FieldDef masked()
{
    FieldDef d;
    d.masked = true;
    return d;
}

FieldDef gap(FieldDef d)
{
    d.gapAfter = true;
    return d;
}

FieldDef multiline(FieldDef d)
{
    d.multiline = true;
    return d;
}

// Filled and written by the module itself (the lead editor's HTML), never typed.
FieldDef engineFilled(FieldDef d)
{
    d.locked = true;
    d.enabled = false;
    return d;
}

FieldDef designText(FieldDef d, const char* text)
{
    d.listCaption = QString::fromLatin1(text);
    return d;
}

// Where a module is opened from, and what it allows.
struct Place {
    ModuleMenu menu;
    int group;
    const char* menuCaption;
    int reportNumber = 0;
    Permissions permissions = Permissions::Open;
};

// One field: its caption, its box, and the table's column it edits. The box's width follows the
// column: text(n) is n, numbers and ids a whole key, dates 10, memo 65500.
struct Row {
    QString caption;
    FieldDef def;
    SchemaColumn column;
};
using Rows = QVector<Row>;

void add(ModuleDef& m, const Row& row)
{
    FieldDef f = row.def;
    f.caption = row.caption;
    f.column = row.column.name;
    switch (row.column.kind) {
    case C::Text:
    case C::Memo: f.maxLength = row.column.width; break;
    case C::Date: f.maxLength = 10; break;
    default: f.maxLength = kIdLength; f.rightAligned = true; break;
    }
    m.fields << f;
    m.columns << row.column;
}

// Builds a module: field 0 (the id) and 1 (the entry date) are the same on every screen.
ModuleDef module(ModuleId moduleId, const char* screen, const char* caption, const char* table, Place place,
                 const QString& idCaption, const Rows& rest)
{
    ModuleDef m;
    m.id = moduleId;
    m.screen = QString::fromLatin1(screen);
    m.caption = QString::fromLatin1(caption);
    m.table = QString::fromLatin1(table);
    m.reportNumber = place.reportNumber;
    m.menu = place.menu;
    m.menuGroup = place.group;
    m.menuCaption = QString::fromLatin1(place.menuCaption);
    m.permissions = place.permissions;
    FieldDef key;
    key.enabled = false;
    key.locked = true;
    add(m, {idCaption, key, C::id("EId")});
    add(m, {QStringLiteral("Entry Date"), date(false), C::date("EDate")});
    for (const Row& row : rest)
        add(m, row);
    m.fieldCount = int(m.fields.size()) - 1;
    return m;
}

// A table new to a released version is marked with it: the upgrade makes it in older databases.
ModuleDef addedIn(ModuleDef m, int version)
{
    m.since = version;
    return m;
}

using M = ModuleMenu;
using P = Permissions;
using Id = ModuleId;

// The first four columns of the table's newest record, under these titles.
ModuleDef withPane(ModuleDef m, QStringList titles)
{
    m.paneTitles = std::move(titles);
    return m;
}

// Customers and the content the campaigns mail, each with its dashboard pane.
void addContent(QVector<ModuleDef>& all)
{
    all << withPane(module(Id::Customer, "KKCustomer", "Customers", "ktCustomer", {M::Transaction, 0, "Customers", 41},
                           QStringLiteral("Customer Id"),
                           {{"Title", cycle("Mr/Mrs/Ms/Dr"), C::text("CTitle", 5)},
                            {"First Name", text(), C::text("CFirst", 20)},
                            {"Last Name", text(), C::text("CLast", 20)},
                            {"Company", gap(text()), C::text("CCompany", 50)},
                            {"Address 1", text(), C::text("CAddr1", 50)},
                            {"Address 2", text(), C::text("CAddr2", 50)},
                            {"City", text(), C::text("CCity", 20)},
                            {"State", text(), C::text("CState", 20)},
                            {"Country", text(), C::text("CCountry", 20)},
                            {"Zip Code", gap(text()), C::text("CZipCode", 10)},
                            {"Office Phone", text(), C::text("CTelOff", 20)},
                            {"Home Phone", text(), C::text("CTelHome", 20)},
                            {"Mobile Phone", text(), C::text("CTelMob", 20)},
                            {"Fax Number", text(), C::text("CFax", 20)},
                            {"Email Address", text(), C::text("CEmail", 50)},
                            {"Website", text(), C::text("CWebsite", 50)},
                            {"Customer Type", designText(pick("CCategory, EId From kmCustType"), "C"),
                             C::id("CType", "kmCustType")},
                            {"Active", cycle("Yes/No", false), C::letter("CActive")},
                            {"Remarks", text(), C::text("CRemarks", 50)}}),
                    {"Id:", "Date:", "Title:", "Name:"});

    all << withPane(module(Id::News, "KKNews", "News", "ktNews", {M::Transaction, 0, "News", 46}, QStringLiteral("News Id"),
                           {{"News Type", pick("NCategory, EId From kmNewsType"), C::id("NType", "kmNewsType")},
                            {"Reference", text(), C::text("NReference", 50)},
                            {"Email Subject", text(), C::text("NSubject", 50)},
                            {"Message(Text)", multiline(text()), C::memo("NMessage")},
                            {"Remarks", text(), C::text("NRemarks", 20)}}),
                    {"Id:", "Date:", "NType:", "Ref:"});

    all << withPane(module(Id::Lead, "KKLead", "Leads", "ktLead", {M::Transaction, 0, "Leads", 47}, QStringLiteral("Lead Id"),
                           {{"Reference", text(), C::text("LReference", 50)},
                            {"Email Subject", text(), C::text("LSubject", 50)},
                            {"Message(Html)", engineFilled(text()), C::memo("LMessage")},
                            {"Remarks", text(), C::text("LRemarks", 20)}}),
                    {"Id:", "Date:", "Ref:", "Subject:"});

    FieldDef count = cycle("10/10", false);
    count.rightAligned = true;
    Rows survey{{"Survey Type", cycle("Rating/Rating"), C::letter("SType")},
                {"Query Count", count, C::number("SCount")},
                {"Survey Name", text(), C::text("SName", 50)},
                {"Message", text(), C::text("SMessage", 250)},
                {"Web Link", text(), C::text("SLink", 150)}};
    for (int q = 1; q <= 10; ++q)
        survey << Row{QStringLiteral("Query %1").arg(q), text(), C::text(QStringLiteral("SQuery%1").arg(q), 250)};
    survey << Row{QStringLiteral("Remarks"), text(), C::text("SRemarks", 20)};
    all << withPane(module(Id::Survey, "KKSurvey", "Surveys", "ktSurvey", {M::Transaction, 0, "Surveys", 48},
                           QStringLiteral("Survey Id"), survey),
                    {"Id:", "Date:", "SType:", "Count:"});
}

// The three campaign screens, one per kind of content, and the survey answers.
void addCampaigns(QVector<ModuleDef>& all)
{
    for (const CampaignFamily& c : CampaignFamily::all()) {
        // The content is picked by the caption of its own key ("News Id").
        const auto content = std::find_if(all.cbegin(), all.cend(), [&](const ModuleDef& m) { return m.id == c.content; });
        const QByteArray source = (c.pickColumn + QStringLiteral(", EId From ") + c.contentTable()).toLatin1();
        FieldDef criteria;
        criteria.button = B::Selector; // the recipient selection screen fills it; typing is allowed too
        const ModuleDef m =
            module(c.module, c.screen().toLatin1(), c.caption.toLatin1(), c.table().toLatin1(),
                   {M::Transaction, 1, c.menuCaption.toLatin1(), c.reportNumber}, c.name + QStringLiteral(" Id"),
                   {{content->fields.at(0).caption, pick(source), C::id(c.contentColumn(), c.contentTable())},
                    {"Customer Type", pick("CCategory, EId From kmCustType"),
                     C::id(c.column(QStringLiteral("CType")), QStringLiteral("kmCustType"))},
                    {"Criteria", criteria, C::text(c.column(QStringLiteral("Criteria")), 100)},
                    {"Sent Date", date(), C::date(c.column(QStringLiteral("SentDate")))},
                    {"Remarks", text(), C::text(c.column(QStringLiteral("Remarks")), 20)}});
        all << addedIn(m, c.since);
    }

    Rows answers{{"Survey Id", pick("SName, EId From ktSurvey"), C::id("SSurveyId", "ktSurvey")}};
    for (int a = 1; a <= 10; ++a)
        answers << Row{QStringLiteral("Answer %1").arg(a), cycle("0/1/2/3/4/5/6/7/8/9/10", false),
                       C::number(QStringLiteral("SAnswer%1").arg(a))};
    answers << Row{QStringLiteral("Remarks"), text(), C::text("SRemarks", 20)};
    all << module(Id::SurveyUpdate, "KKSUpdate", "Survey Updates", "ktSUpdate", {M::Transaction, 2, "Survey Updates", 56},
                  QStringLiteral("SUpdate Id"), answers);
}

void addMasters(QVector<ModuleDef>& all)
{
    all << module(Id::CustomerType, "KKCustType", "Customer Type", "kmCustType", {M::Master, 0, "Customer Type"},
                  QStringLiteral("Type Id"),
                  {{"Customer Type", text(), C::text("CCategory", 10)}, {"Remarks", text(), C::text("CRemarks", 20)}});
    all << module(Id::NewsType, "KKNewsType", "News Type", "kmNewsType", {M::Master, 0, "News Type"},
                  QStringLiteral("Type Id"),
                  {{"News Type", text(), C::text("NCategory", 10)}, {"Remarks", text(), C::text("NRemarks", 20)}});
    // Addresses no campaign may mail.
    all << addedIn(module(Id::Suppression, "KKSuppression", "Suppression List", "kaSuppression",
                          {M::Master, 1, "Suppression List"}, QStringLiteral("Entry Id"),
                          {{"Email Address", text(), C::text("SAddress", 50)},
                           {"Reason", cycle("Unsubscribed/Bounced/Manual", false), C::letter("SReason")},
                           {"Campaign", text(), C::text("SCampaign", 30)},
                           {"Remarks", text(), C::text("SRemarks", 20)}}),
                   2);
}

void addAdministration(QVector<ModuleDef>& all)
{
    all << module(Id::Enterprise, "KKEnterprise", "Enterprise", "kaEnterprise",
                  {M::Admin, 0, "Enterprise", 0, P::SingleRowAdmin}, QStringLiteral("Enterprise Id"),
                  {{"Enterprise Name", text(), C::text("EName", 30)},
                   {"Short Name", text(), C::text("EShort", 15)},
                   {"Description", text(), C::text("EDesc", 30)},
                   {"Address 1", text(), C::text("EAddr1", 30)},
                   {"Address 2", text(), C::text("EAddr2", 30)},
                   {"Address 3", text(), C::text("EAddr3", 30)},
                   {"City", text(), C::text("ECity", 20)},
                   {"State", text(), C::text("EState", 20)},
                   {"Country", text(), C::text("ECountry", 20)},
                   {"Telephone", text(), C::text("ETelephone", 30)},
                   {"Email Id", text(), C::text("EEmail", 50)},
                   {"Website", text(), C::text("EWebsite", 50)},
                   {"Modify Password", masked(), C::text("EPasscd", 10)},
                   {"Remarks", text(), C::text("ERemarks", 20)}});
    all << module(Id::User, "KKUser", "Users", "kaUser", {M::Admin, 0, "Users", 0, P::Users}, QStringLiteral("User Id"),
                  {{"LoginId", text(), C::text("ULogin", 10)},
                   {"Password", masked(), C::text("UPasscd", 10)},
                   {"Hint", text(), C::text("UHint", 10)},
                   {"Login Mode", cycle("Admin/User", false), C::letter("UMode")},
                   {"Remarks", text(), C::text("URemarks", 20)}});
    // Version 2 added the bulk-mail settings after the first eight; the tokens' key is named
    // like the passwords, which no grid shows.
    all << module(Id::Preference, "KKPreference", "Preference", "kaPreference",
                  {M::Admin, 1, "Preferences", 0, P::SingleRow}, QStringLiteral("Preference Id"),
                  {{"Mail Footer", cycle("Yes/No", false), C::letter("PMailFoot")},
                   {"Mail Protocol", cycle("OutlookDefault/SMTP", false), C::letter("PMailType")},
                   {"SMTP Server", text(), C::text("PSmtpSrvr", 50)},
                   {"SMTP Port", text(), C::text("PSmtpPort", 10)},
                   {"SMTP From", text(), C::text("PSmtpFrom", 50)},
                   {"SMTP User", text(), C::text("PSmtpUser", 50)},
                   {"SMTP Password", masked(), C::text("PPasscd", 20)},
                   {"Remarks", text(), C::text("PRemarks", 20)},
                   {"Unsubscribe Address", text(), C::text("PUnsubAddr", 50).addedIn(2)},
                   {"Reply-To", text(), C::text("PReplyTo", 50).addedIn(2)},
                   {"Rate Limit", text(), C::text("PRateLimit", 6).addedIn(2)},
                   {"IMAP Server", text(), C::text("PImapSrvr", 50).addedIn(2)},
                   {"IMAP Port", text(), C::text("PImapPort", 10).addedIn(2)},
                   {"IMAP Folder", text(), C::text("PImapFolder", 50).addedIn(2)},
                   {"Token Key", masked(), C::text("PTokenPasscd", 64).addedIn(2)}});
    FieldDef swatch;
    swatch.button = B::Selector;
    all << module(Id::Customize, "KKCustomize", "Customize", "kaCustomize", {M::Admin, 2, "Customize", 0, P::SingleRow},
                  QStringLiteral("Customize Id"),
                  {{"Back Color", swatch, C::text("CBackColor", 10)},
                   {"Back Texture", swatch, C::text("CTexTure", 10)},
                   {"Text Font", swatch, C::text("CTextFont", 10)},
                   {"Text Size", swatch, C::text("CTextSize", 10)},
                   {"Text Color", swatch, C::text("CTextColor", 10)},
                   {"Default Screen", cycle("Yes/No", false), C::letter("CDefaScrn")},
                   {"Enable Admin", cycle("Yes/No", false), C::letter("CAdminDisp")},
                   {"Modify Password", cycle("Yes/No", false), C::letter("CModiPass")},
                   {"Allow Delete", cycle("Yes/No", false), C::letter("CAllowDele")},
                   {"Delete Password", cycle("Yes/No", false), C::letter("CDelePass")},
                   {"Show Dashboard", cycle("Yes/No", false), C::letter("CShowDash")},
                   {"Remarks", text(), C::text("CRemarks", 20)}});
}

// In menu order: the Transaction, Master and Admin menus list their modules as they come here.
QVector<ModuleDef> build()
{
    QVector<ModuleDef> all;
    addContent(all);
    addCampaigns(all);
    addMasters(all);
    addAdministration(all);
    return all;
}
}

QString FieldDef::masterNameStatement() const
{
    // "CCategory, EId From kmCustType" -> "Select CCategory From kmCustType Where EId="
    if (kind != FieldKind::MasterId || pickListSource.isEmpty())
        return {};
    const QString name = pickListSource.section(QLatin1Char(','), 0, 0).trimmed();
    const qsizetype from = pickListSource.indexOf(QLatin1String(" From "), 0, Qt::CaseInsensitive);
    if (name.isEmpty() || from < 0)
        return {};
    return QStringLiteral("Select %1 From %2 Where EId=").arg(name, pickListSource.mid(from + 6).trimmed());
}

int ModuleDef::indexOf(const QString& column) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).column.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

namespace ModuleCatalogue {

const QVector<ModuleDef>& modules()
{
    static const QVector<ModuleDef> all = build();
    return all;
}

const ModuleDef* find(const QString& screen)
{
    for (const ModuleDef& m : modules())
        if (m.screen == screen)
            return &m;
    return nullptr;
}

const ModuleDef* find(ModuleId id)
{
    for (const ModuleDef& m : modules())
        if (m.id == id)
            return &m;
    return nullptr;
}

QVector<const ModuleDef*> dashboardModules()
{
    QVector<const ModuleDef*> panes;
    for (const ModuleDef& m : modules())
        if (!m.paneTitles.isEmpty())
            panes << &m;
    return panes;
}

}
