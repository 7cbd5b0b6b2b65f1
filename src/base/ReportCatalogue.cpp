#include "base/ReportCatalogue.h"

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

QVector<ReportDef> build()
{
    using K = CriterionKind;
    const int type = ReportCatalogue::kTypeField;
    const auto both = {"pCompName", "pFilter"};
    const auto company = {"pCompName"};
    return {
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
        report(50, "SendNews List", "KVSendRepo.Krp", "a.EDate", K::DateRange, -1, both,
               {"SELECT a.EId, a.EDate, a.SNewsId, a.SCType, ",
                " a.SSentDate, b.NSubject, c.CCategory FROM ktSNews as a, ",
                " ktNews as b, kmCustType as c WHERE a.SNewsId=b.EId and ", " a.SCType=c.EId "},
               ""),
        report(51, "MarketLead List", "KVMrktRepo.Krp", "a.EDate", K::DateRange, -1, both,
               {"SELECT a.EId, a.EDate, a.MLeadId, a.MCType, ",
                " a.MSentDate, b.LSubject, c.CCategory FROM ktMLead as a, ",
                " ktLead as b, kmCustType as c WHERE a.MLeadId=b.EId and ", " a.MCType=c.EId "},
               ""),
        report(52, "EmailSurvey List", "KVEmalRepo.Krp", "a.EDate", K::DateRange, -1, both,
               {"SELECT a.EId, a.EDate, a.ESurveyId, a.ECType, ",
                " a.ESentDate, b.SName, c.CCategory FROM ktESurvey as a, ",
                " ktSurvey as b, kmCustType as c WHERE a.ESurveyId=b.EId and ", " a.ECType=c.EId "},
               ""),
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
