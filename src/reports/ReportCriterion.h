#pragma once
#include <QDate>
#include <QString>

struct ReportDef;

// What the report screen holds when View is pressed.
struct CriterionInput {
    QString value{};  // txtReport1 as typed (the from-date's text for a date range)
    QString typeName{}; // lblList: the picked customer type's name
    QString toText{}; // txtReport2: the to-date's text
    QDate from{}, to{}; // the calendars' values
};

// The criterion clause spliced into a report's statement and the description printed in
// its header, built from what the user entered.
struct ReportCriterion {
    enum class Check { Ok, InvalidCriteria, InvalidRange };

    Check check = Check::Ok;
    QString clause;                          // empty: no criterion
    QString description = QStringLiteral("-");

    static ReportCriterion build(const ReportDef& report, const CriterionInput& input);
    // "MM/DD/YYYY" with "/" whatever the locale, as the statement's date literals need.
    static QString dateText(const QDate& date);
    // The message for a failed check ("Invalid Criteria!", "Invalid Range!").
    static QString message(Check check);
};
