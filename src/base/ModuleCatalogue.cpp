#include "base/ModuleCatalogue.h"

#include "base/CampaignFamily.h"
#include "base/Schema.h"

#include <algorithm>

namespace {

// A key or number box holds the longest key the database gives (a 32-bit whole number), so
// that an id of a million and above, put in by the program, shows whole.
constexpr int kIdLength = 10;
using B = FieldDef::Button;

// The caption and width of every column come from here; the width also follows the schema.
struct Row {
    const char* caption;
    FieldDef def;
};

FieldDef text() { return {}; }

FieldDef withCaption(FieldDef d, const QString& caption)
{
    d.caption = caption;
    return d;
}

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

// Builds a module: field 0 (the id) and 1 (the entry date) are the same on every screen.
ModuleDef module(ModuleId moduleId, const char* screen, const char* caption, const char* table, Place place,
                 const char* idCaption, std::initializer_list<std::pair<const char*, FieldDef>> rest)
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
    key.caption = QString::fromLatin1(idCaption);
    key.maxLength = kIdLength;
    key.enabled = false;
    key.locked = true;
    key.rightAligned = true;
    FieldDef entry = date(false);
    entry.caption = QStringLiteral("Entry Date");
    entry.maxLength = 10;
    m.fields << key << entry;
    for (const auto& [c, d] : rest)
        m.fields << withCaption(d, QString::fromLatin1(c));
    m.fieldCount = int(m.fields.size()) - 1;

    // Widths follow the table's columns: text(n) is n, numbers and ids a whole key, dates 10,
    // memo 65500.
    if (const SchemaTable* t = Schema::table(m.table)) {
        for (int i = 2; i < m.fields.size() && i < t->columns.size(); ++i) {
            const SchemaColumn& col = t->columns.at(i);
            FieldDef& f = m.fields[i];
            switch (col.kind) {
            case SchemaColumn::Text:
            case SchemaColumn::Memo: f.maxLength = col.width; break;
            case SchemaColumn::Date: f.maxLength = 10; break;
            default: f.maxLength = kIdLength; f.rightAligned = true; break;
            }
        }
    }
    return m;
}

// Every field learns its column; the field count is the highest index.
void bindColumns(ModuleDef& m)
{
    m.fieldCount = int(m.fields.size()) - 1;
    if (const SchemaTable* t = Schema::table(m.table))
        for (int i = 0; i < m.fields.size() && i < t->columns.size(); ++i)
            m.fields[i].column = t->columns.at(i).name;
}

using M = ModuleMenu;
using P = Permissions;
using Id = ModuleId;
using Fields = std::initializer_list<std::pair<const char*, FieldDef>>;

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
                           "Customer Id",
                           {{"Title", cycle("Mr/Mrs/Ms/Dr")}, {"First Name", text()}, {"Last Name", text()},
                            {"Company", gap(text())}, {"Address 1", text()}, {"Address 2", text()}, {"City", text()},
                            {"State", text()}, {"Country", text()}, {"Zip Code", gap(text())},
                            {"Office Phone", text()}, {"Home Phone", text()}, {"Mobile Phone", text()},
                            {"Fax Number", text()}, {"Email Address", text()}, {"Website", text()},
                            {"Customer Type", designText(pick("CCategory, EId From kmCustType"), "C")},
                            {"Active", cycle("Yes/No", false)}, {"Remarks", text()}}),
                    {"Id:", "Date:", "Title:", "Name:"});

    all << withPane(module(Id::News, "KKNews", "News", "ktNews", {M::Transaction, 0, "News", 46}, "News Id",
                           {{"News Type", pick("NCategory, EId From kmNewsType")}, {"Reference", text()},
                            {"Email Subject", text()}, {"Message(Text)", multiline(text())}, {"Remarks", text()}}),
                    {"Id:", "Date:", "NType:", "Ref:"});

    all << withPane(module(Id::Lead, "KKLead", "Leads", "ktLead", {M::Transaction, 0, "Leads", 47}, "Lead Id",
                           {{"Reference", text()}, {"Email Subject", text()},
                            {"Message(Html)", engineFilled(text())}, {"Remarks", text()}}),
                    {"Id:", "Date:", "Ref:", "Subject:"});

    ModuleDef m = module(Id::Survey, "KKSurvey", "Surveys", "ktSurvey", {M::Transaction, 0, "Surveys", 48}, "Survey Id",
                         Fields{});
    FieldDef type = cycle("Rating/Rating");
    type.caption = QStringLiteral("Survey Type");
    FieldDef count = cycle("10/10", false);
    count.caption = QStringLiteral("Query Count");
    count.rightAligned = true;
    m.fields << type << count;
    for (const char* c : {"Survey Name", "Message", "Web Link"})
        m.fields << withCaption(text(), QString::fromLatin1(c));
    for (int q = 1; q <= 10; ++q)
        m.fields << withCaption(text(), QStringLiteral("Query %1").arg(q));
    m.fields << withCaption(text(), QStringLiteral("Remarks"));
    m.fieldCount = int(m.fields.size()) - 1;
    const SchemaTable* t = Schema::table(m.table);
    for (int i = 2; i <= m.fieldCount; ++i)
        m.fields[i].maxLength = t->columns.at(i).kind == SchemaColumn::Text ? t->columns.at(i).width : kIdLength;
    all << withPane(m, {"Id:", "Date:", "SType:", "Count:"});
}

// The three campaign screens, one per kind of content, and the survey answers.
void addCampaigns(QVector<ModuleDef>& all)
{
    for (const CampaignFamily& c : CampaignFamily::all()) {
        // The content is picked by the caption of its own key ("News Id").
        const auto content = std::find_if(all.cbegin(), all.cend(), [&](const ModuleDef& m) { return m.id == c.content; });
        const QByteArray contentKey = content->fields.at(0).caption.toLatin1();
        const QByteArray source = (c.pickColumn + QStringLiteral(", EId From ") + c.contentTable()).toLatin1();
        FieldDef criteria;
        criteria.button = B::Selector; // the recipient selection screen fills it; typing is allowed too
        all << module(c.module, c.screen().toLatin1(), c.caption.toLatin1(), c.table().toLatin1(),
                      {M::Transaction, 1, c.menuCaption.toLatin1(), c.reportNumber},
                      (c.name + QStringLiteral(" Id")).toLatin1(),
                      {{contentKey, pick(source)}, {"Customer Type", pick("CCategory, EId From kmCustType")},
                       {"Criteria", criteria}, {"Sent Date", date()}, {"Remarks", text()}});
    }

    ModuleDef m = module(Id::SurveyUpdate, "KKSUpdate", "Survey Updates", "ktSUpdate",
                         {M::Transaction, 2, "Survey Updates", 56}, "SUpdate Id", Fields{});
    m.fields << withCaption(pick("SName, EId From ktSurvey"), QStringLiteral("Survey Id"));
    for (int a = 1; a <= 10; ++a) {
        FieldDef d = cycle("0/1/2/3/4/5/6/7/8/9/10", false);
        d.rightAligned = true;
        m.fields << withCaption(d, QStringLiteral("Answer %1").arg(a));
    }
    m.fields << withCaption(text(), QStringLiteral("Remarks"));
    m.fieldCount = int(m.fields.size()) - 1;
    for (int i = 2; i <= m.fieldCount; ++i)
        m.fields[i].maxLength = i == m.fieldCount ? 20 : kIdLength;
    all << m;
}

void addMasters(QVector<ModuleDef>& all)
{
    all << module(Id::CustomerType, "KKCustType", "Customer Type", "kmCustType", {M::Master, 0, "Customer Type"},
                  "Type Id", {{"Customer Type", text()}, {"Remarks", text()}});
    all << module(Id::NewsType, "KKNewsType", "News Type", "kmNewsType", {M::Master, 0, "News Type"}, "Type Id",
                  {{"News Type", text()}, {"Remarks", text()}});
    all << module(Id::Suppression, "KKSuppression", "Suppression List", "kaSuppression",
                  {M::Master, 1, "Suppression List"}, "Entry Id",
                  {{"Email Address", text()}, {"Reason", cycle("Unsubscribed/Bounced/Manual", false)},
                   {"Campaign", text()}, {"Remarks", text()}});
}

void addAdministration(QVector<ModuleDef>& all)
{
    all << module(Id::Enterprise, "KKEnterprise", "Enterprise", "kaEnterprise",
                  {M::Admin, 0, "Enterprise", 0, P::SingleRowAdmin}, "Enterprise Id",
                  {{"Enterprise Name", text()}, {"Short Name", text()}, {"Description", text()},
                   {"Address 1", text()}, {"Address 2", text()}, {"Address 3", text()}, {"City", text()},
                   {"State", text()}, {"Country", text()}, {"Telephone", text()}, {"Email Id", text()},
                   {"Website", text()}, {"Modify Password", masked()}, {"Remarks", text()}});
    all << module(Id::User, "KKUser", "Users", "kaUser", {M::Admin, 0, "Users", 0, P::Users}, "User Id",
                  {{"LoginId", text()}, {"Password", masked()}, {"Hint", text()},
                   {"Login Mode", cycle("Admin/User", false)}, {"Remarks", text()}});
    all << module(Id::Preference, "KKPreference", "Preference", "kaPreference",
                  {M::Admin, 1, "Preferences", 0, P::SingleRow}, "Preference Id",
                  {{"Mail Footer", cycle("Yes/No", false)}, {"Mail Protocol", cycle("OutlookDefault/SMTP", false)},
                   {"SMTP Server", text()}, {"SMTP Port", text()}, {"SMTP From", text()}, {"SMTP User", text()},
                   {"SMTP Password", masked()}, {"Remarks", text()}, {"Unsubscribe Address", text()},
                   {"Reply-To", text()}, {"Rate Limit", text()}, {"IMAP Server", text()}, {"IMAP Port", text()},
                   {"IMAP Folder", text()}, {"Token Key", masked()}});
    FieldDef swatch;
    swatch.button = B::Selector;
    all << module(Id::Customize, "KKCustomize", "Customize", "kaCustomize", {M::Admin, 2, "Customize", 0, P::SingleRow},
                  "Customize Id",
                  {{"Back Color", swatch}, {"Back Texture", swatch}, {"Text Font", swatch},
                   {"Text Size", swatch}, {"Text Color", swatch}, {"Default Screen", cycle("Yes/No", false)},
                   {"Enable Admin", cycle("Yes/No", false)}, {"Modify Password", cycle("Yes/No", false)},
                   {"Allow Delete", cycle("Yes/No", false)}, {"Delete Password", cycle("Yes/No", false)},
                   {"Show Dashboard", cycle("Yes/No", false)}, {"Remarks", text()}});
}

// In menu order: the Transaction, Master and Admin menus list their modules as they come here.
QVector<ModuleDef> build()
{
    QVector<ModuleDef> all;
    addContent(all);
    addCampaigns(all);
    addMasters(all);
    addAdministration(all);
    for (ModuleDef& m : all)
        bindColumns(m);
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
