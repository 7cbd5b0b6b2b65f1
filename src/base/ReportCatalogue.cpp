#include "base/ReportCatalogue.h"

#include "base/CampaignFamily.h"

#include <algorithm>

namespace {
QStringList pieces(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromLatin1(t);
    return out;
}

ReportDef report(int number, const char* caption, const char* layout, const char* field, CriterionKind kind,
                 int prefill, std::initializer_list<const char*> formulas, std::initializer_list<const char*> head,
                 const char* tail)
{
    ReportDef r;
    r.number = number;
    r.caption = QString::fromLatin1(caption);
    r.layoutFile = QString::fromLatin1(layout);
    r.field = QString::fromLatin1(field);
    r.kind = kind;
    r.prefillField = prefill;
    r.formulas = pieces(formulas);
    r.head = pieces(head);
    r.tail = QString::fromLatin1(tail);
    return r;
}

// Each campaign kind's list of the campaigns sent: when, to which customer type, with what subject.
QVector<ReportDef> campaignReports()
{
    QVector<ReportDef> lists;
    for (const CampaignFamily& f : CampaignFamily::all()) {
        ReportDef r = report(f.reportNumber, "", "", "a.EDate", CriterionKind::DateRange, -1, {"pCompName", "pFilter"},
                             {}, "");
        r.caption = f.reportCaption;
        r.layoutFile = f.reportLayout;
        const QString content = f.contentColumn(), type = f.column(QStringLiteral("CType"));
        r.head = QStringList{
            QStringLiteral("SELECT a.EId, a.EDate, a.%1, a.%2, ").arg(content, type),
            QStringLiteral(" a.%1, b.%2, c.CCategory FROM %3 as a, ")
                .arg(f.column(QStringLiteral("SentDate")), f.subjectColumn, f.table()),
            QStringLiteral(" %1 as b, kmCustType as c WHERE a.%2=b.EId and ").arg(f.contentTable(), content),
            QStringLiteral(" a.%1=c.EId ").arg(type)};
        lists << r;
    }
    return lists;
}

QVector<ReportDef> build()
{
    using K = CriterionKind;
    const int type = ReportCatalogue::kTypeField;
    const auto both = {"pCompName", "pFilter"};
    const auto company = {"pCompName"};
    QVector<ReportDef> all{
        report(41, "Address List", "KVAddrList.Krp", "a.CType", K::PickedNumber, type, both,
               {"Select a.EId, a.EDate, a.CTitle, a.CFirst, a.CLast, a.CCity, ",
                " a.CCountry, a.CZipCode From ktCustomer a Where a.EId=a.EId "},
               " Order By a.CFirst "),
        report(42, "Phone List", "KVPhonList.Krp", "a.CType", K::PickedNumber, type, both,
               {"Select a.EId, a.CTitle, a.CFirst, a.CLast, a.CTelOff, ",
                " a.CTelHome, a.CTelMob From ktCustomer a Where a.EId=a.EId "},
               " Order By a.CFirst "),
        report(43, "Email List", "KVMailList.Krp", "a.CType", K::PickedNumber, type, both,
               {"Select a.EId, a.CTitle, a.CFirst, a.CLast, a.CEmail, ",
                " a.CType, a.CActive From ktCustomer a Where a.EId=a.EId "},
               " Order By a.CFirst "),
        report(44, "Print Labels", "KVLablPrnt.Krp", "a.CType", K::PickedNumber, type, {},
               {"Select a.EId, a.CTitle,a.CFirst, a.CLast, a.CAddr1, ",
                " a.CAddr2, a.CCity , a.CState, a.CZipCode, a.CTelHome ", " From ktCustomer a Where a.EId=a.EId "},
               " Order By a.CFirst "),
        report(46, "News Print", "KVNewsPrnt.Krp", "a.EId", K::TypedNumber, 0, company,
               {"Select a.* From ktNews a Where a.EId=a.EId "}, ""),
        report(47, "Lead Print", "KVLeadPrnt.Krp", "a.EId", K::TypedNumber, 0, company,
               {"Select a.* From ktLead a Where a.EId=a.EId "}, ""),
        report(48, "Survey Print", "KVSurvPrnt.Krp", "a.EId", K::TypedNumber, 0, company,
               {"Select a.* From ktSurvey a Where a.EId=a.EId "}, ""),
        // 50-52: the campaigns sent, one list per kind
        report(54, "Type Summary", "KVTypeSumm.Krp", "a.CCountry", K::TextPrefix, -1, both,
               {"SELECT a.CType, b.CCategory, Count(a.CType) As tCount ",
                " FROM ktCustomer as a, kmCustType as b WHERE a.CType=b.EId "},
               " GROUP BY a.CType, b.CCategory "),
        report(55, "Country Summary", "KVCounSumm.Krp", "a.CType", K::PickedNumber, type, both,
               {"SELECT a.CCountry, Count(a.CCountry) As tCount ", " FROM ktCustomer as a WHERE a.EId=a.EId "},
               " GROUP BY a.CCountry "),
        report(56, "Survey Analysis", "KVSurvAnly.Krp", "a.EId", K::TypedNumber, 2, company,
               {"Select a.*, b.* From ktSurvey a, ktSUpdate b ", " WHERE a.EId=b.SSurveyId"}, ""),
    };
    auto at = std::find_if(all.cbegin(), all.cend(), [](const ReportDef& r) { return r.number > 50; }) - all.cbegin();
    for (const ReportDef& r : campaignReports())
        all.insert(at++, r);
    return all;
}
}

namespace ReportCatalogue {

const QVector<ReportDef>& reports()
{
    static const QVector<ReportDef> all = build();
    return all;
}

const ReportDef* find(int number)
{
    for (const ReportDef& r : reports())
        if (r.number == number)
            return &r;
    return nullptr;
}

QString numbers(std::optional<CriterionKind> kind)
{
    // Runs of consecutive numbers: "41-44, 46-48".
    QStringList runs;
    int first = 0, last = 0;
    auto close = [&] {
        if (first)
            runs << (first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last));
    };
    for (const ReportDef& r : reports()) {
        if (kind && r.kind != *kind)
            continue;
        if (first && r.number == last + 1) {
            last = r.number;
            continue;
        }
        close();
        first = last = r.number;
    }
    close();
    return runs.join(QStringLiteral(", "));
}

QString typePickListSource() { return QStringLiteral("CCategory, EId From kmCustType"); }

}
