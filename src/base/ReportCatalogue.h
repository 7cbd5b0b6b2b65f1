#pragma once
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// How a report's one criterion is entered and spliced into its statement.
enum class CriterionKind {
    PickedNumber, // a customer type chosen from the pick list
    TypedNumber,  // a record id typed in
    DateRange,    // two dates from the calendars
    TextPrefix,   // the beginning of a text
};

// One of the thirteen reports: its place in the Report menu, layout file, criterion and
// statement pieces.
struct ReportDef {
    int number = 0;        // 41..56: Report menu entry number - kMenuBase
    QString caption;       // the Report menu entry's caption
    QString layoutFile;    // in the BinFolder
    QString field;         // the criterion field
    CriterionKind kind = CriterionKind::TypedNumber;
    int prefillField = -1; // txtField of the open record module that supplies the criterion; -1: none
    QStringList formulas;  // the formula fields the program sets, in order
    QStringList head;      // statement pieces before the criterion clause
    QString tail;          // after it

    // The operator of the criterion ("=" or "Like").
    QString op() const { return kind == CriterionKind::TextPrefix ? QStringLiteral("Like") : QStringLiteral("="); }
    // Head pieces + clause + tail.
    QString statement(const QString& clause) const { return head.join(QString()) + clause + tail; }
    // Whether the prefill also brings the customer type's name (lblList 18).
    bool prefillsTypeName() const { return kind == CriterionKind::PickedNumber; }
};

namespace ReportCatalogue {
const QVector<ReportDef>& reports();
// The report with that number; nullptr for a number that has none (45, 49, 53, 0...).
const ReportDef* find(int number);
// Report menu entry n opens report kMenuBase + n.
constexpr int kMenuBase = 40;
// The numbers of the reports (of one criterion kind only, when given), as runs: "41-44, 46-48".
QString numbers(std::optional<CriterionKind> kind = std::nullopt);
// The customer-type list the picked-number reports choose from.
QString typePickListSource();
// The record-screen field whose list label holds the customer type's name.
constexpr int kTypeField = 18;
}
