#include "engine/ModuleCatalogue.h"

#include "shell/Schema.h"

namespace {
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
    d.kind = QLatin1Char('M');
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
    d.kind = QLatin1Char('D');
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

// Builds a module: field 0 (the id) and 1 (the entry date) are the same on every screen.
ModuleDef module(const char* screen, const char* caption, const char* table, int reportNumber,
                 const char* idCaption, std::initializer_list<std::pair<const char*, FieldDef>> rest)
{
    ModuleDef m;
    m.screen = QString::fromLatin1(screen);
    m.caption = QString::fromLatin1(caption);
    m.table = QString::fromLatin1(table);
    m.reportNumber = reportNumber;
    FieldDef id;
    id.caption = QString::fromLatin1(idCaption);
    id.maxLength = 6;
    id.enabled = false;
    id.locked = true;
    id.rightAligned = true;
    FieldDef entry = date(false);
    entry.caption = QStringLiteral("Entry Date");
    entry.maxLength = 10;
    m.fields << id << entry;
    for (const auto& [c, d] : rest)
        m.fields << withCaption(d, QString::fromLatin1(c));
    m.fieldCount = int(m.fields.size()) - 1;

    // Widths follow the table's columns: text(n) is n, numbers and ids 6, dates 10, memo 65500.
    if (const SchemaTable* t = Schema::table(m.table)) {
        for (int i = 2; i < m.fields.size() && i < t->columns.size(); ++i) {
            const SchemaColumn& col = t->columns.at(i);
            FieldDef& f = m.fields[i];
            switch (col.kind) {
            case SchemaColumn::Text:
            case SchemaColumn::Memo: f.maxLength = col.width; break;
            case SchemaColumn::Date: f.maxLength = 10; break;
            default: f.maxLength = 6; f.rightAligned = true; break;
            }
        }
    }
    return m;
}

QVector<ModuleDef> build()
{
    QVector<ModuleDef> all;
    all << module("KKCustomer", "Customers", "ktCustomer", 41, "Customer Id",
                  {{"Title", cycle("Mr/Mrs/Ms/Dr")}, {"First Name", text()}, {"Last Name", text()},
                   {"Company", gap(text())}, {"Address 1", text()}, {"Address 2", text()}, {"City", text()},
                   {"State", text()}, {"Country", text()}, {"Zip Code", gap(text())}, {"Office Phone", text()},
                   {"Home Phone", text()}, {"Mobile Phone", text()}, {"Fax Number", text()},
                   {"Email Address", text()}, {"Website", text()},
                   {"Customer Type", pick("CCategory, EId From kmCustType")},
                   {"Active", cycle("Yes/No", false)}, {"Remarks", text()}});
    all.back().fields[18].listCaption = QStringLiteral("C");

    all << module("KKNews", "News", "ktNews", 46, "News Id",
                  {{"News Type", pick("NCategory, EId From kmNewsType")}, {"Reference", text()},
                   {"Email Subject", text()}, {"Message(Text)", text()}, {"Remarks", text()}});
    all.back().fields[5].multiline = true;

    all << module("KKLead", "Leads", "ktLead", 47, "Lead Id",
                  {{"Reference", text()}, {"Email Subject", text()}, {"Message(Html)", text()}, {"Remarks", text()}});
    all.back().fields[4].locked = true;
    all.back().fields[4].enabled = false;

    {
        std::initializer_list<std::pair<const char*, FieldDef>> none{};
        ModuleDef m = module("KKSurvey", "Surveys", "ktSurvey", 48, "Survey Id", none);
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
            m.fields[i].maxLength = t->columns.at(i).kind == SchemaColumn::Text ? t->columns.at(i).width : 6;
        all << m;
    }
    {
        std::initializer_list<std::pair<const char*, FieldDef>> none{};
        ModuleDef m = module("KKSUpdate", "Survey Updates", "ktSUpdate", 56, "SUpdate Id", none);
        m.fields << withCaption(pick("SName, EId From ktSurvey"), QStringLiteral("Survey Id"));
        for (int a = 1; a <= 10; ++a) {
            FieldDef d = cycle("0/1/2/3/4/5/6/7/8/9/10", false);
            d.rightAligned = true;
            m.fields << withCaption(d, QStringLiteral("Answer %1").arg(a));
        }
        m.fields << withCaption(text(), QStringLiteral("Remarks"));
        m.fieldCount = int(m.fields.size()) - 1;
        for (int i = 2; i <= m.fieldCount; ++i)
            m.fields[i].maxLength = i == m.fieldCount ? 20 : 6;
        all << m;
    }

    const struct { const char* screen; const char* caption; const char* table; int report; const char* id;
                   const char* content; const char* source; } campaigns[] = {
        {"KKSNews", "Send News", "ktSNews", 50, "SNews Id", "News Id", "NReference, EId From ktNews"},
        {"KKMLead", "Market Lead", "ktMLead", 51, "MLead Id", "Lead Id", "LReference, EId From ktLead"},
        {"KKESurvey", "EMail Survey", "ktESurvey", 52, "ESurvey Id", "Survey Id", "SName, EId From ktSurvey"}};
    for (const auto& c : campaigns) {
        FieldDef criteria;
        criteria.button = B::Selector; // the recipient selection screen fills it; typing is allowed too
        all << module(c.screen, c.caption, c.table, c.report, c.id,
                      {{c.content, pick(c.source)}, {"Customer Type", pick("CCategory, EId From kmCustType")},
                       {"Criteria", criteria}, {"Sent Date", date()}, {"Remarks", text()}});
    }

    all << module("KKCustType", "Customer Type", "kmCustType", 0, "Type Id",
                  {{"Customer Type", text()}, {"Remarks", text()}});
    all << module("KKNewsType", "News Type", "kmNewsType", 0, "Type Id", {{"News Type", text()}, {"Remarks", text()}});

    all << module("KKEnterprise", "Enterprise", "kaEnterprise", 0, "Enterprise Id",
                  {{"Enterprise Name", text()}, {"Short Name", text()}, {"Description", text()},
                   {"Address 1", text()}, {"Address 2", text()}, {"Address 3", text()}, {"City", text()},
                   {"State", text()}, {"Country", text()}, {"Telephone", text()}, {"Email Id", text()},
                   {"Website", text()}, {"Modify Password", masked()}, {"Remarks", text()}});
    all << module("KKUser", "Users", "kaUser", 0, "User Id",
                  {{"LoginId", text()}, {"Password", masked()}, {"Hint", text()},
                   {"Login Mode", cycle("Admin/User", false)}, {"Remarks", text()}});
    all << module("KKPreference", "Preference", "kaPreference", 0, "Preference Id",
                  {{"Mail Footer", cycle("Yes/No", false)}, {"Mail Protocol", cycle("OutlookDefault/SMTP", false)},
                   {"SMTP Server", text()}, {"SMTP Port", text()}, {"SMTP From", text()}, {"SMTP User", text()},
                   {"SMTP Password", masked()}, {"Remarks", text()}});
    {
        FieldDef swatch;
        swatch.button = B::Selector;
        all << module("KKCustomize", "Customize", "kaCustomize", 0, "Customize Id",
                      {{"Back Color", swatch}, {"Back Texture", swatch}, {"Text Font", swatch},
                       {"Text Size", swatch}, {"Text Color", swatch}, {"Default Screen", cycle("Yes/No", false)},
                       {"Enable Admin", cycle("Yes/No", false)}, {"Modify Password", cycle("Yes/No", false)},
                       {"Allow Delete", cycle("Yes/No", false)}, {"Delete Password", cycle("Yes/No", false)},
                       {"Show Dashboard", cycle("Yes/No", false)}, {"Remarks", text()}});
    }
    return all;
}
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

}
