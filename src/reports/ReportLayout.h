#pragma once
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVector>

// Error numbers raised by the report runtime.
namespace ReportErrors {
constexpr int LayoutNotFound = 20507;  // no layout file at that path
constexpr int BadLayout = 20525;       // the file is not a valid layout
constexpr int UnknownFormula = 20515;  // the layout has no formula field of that name
constexpr int BadTable = 20536;        // log-on information for a table the layout lacks
constexpr int CannotWrite = 20544;     // the output file could not be written
}

// A report layout file (".Krp"): a JSON description of what one report prints.
// The rows come from the program; the layout names the fields it shows, how it arranges
// them and which formula fields the program may set (shown in the page header).
struct ReportLayout {
    // How the body of the report is arranged.
    enum class Body {
        List,     // one line per row in columns, with an optional count
        Labels,   // address labels on a label sheet
        Document, // one record after another, each with its fields and its whole texts
        Summary,  // a label, a count and a bar per row, with a total
        Ratings,  // per survey and question: answers, average rating and distribution
    };
    enum class Align { Left, Right };
    enum class TextFormat { Plain, Html };

    struct Column {
        QString field;    // a column name, or a text with {Column} placeholders
        QString heading;
        double width = 30; // millimetres
        Align align = Align::Left;
    };
    // A label sheet: labels across and down, their size and the sheet's top-left offset (mm).
    struct LabelSheet {
        int across = 3, down = 7;
        double width = 63.5, height = 38.1, left = 7.2, top = 15.1, gap = 2.5;
    };
    struct Section {      // a part of a printed record
        QString heading;
        QString field;    // a column name or text with placeholders; "%1" is the repeat number
        int repeat = 0;   // > 0: a numbered list of field with %1 = 1..repeat
        TextFormat format = TextFormat::Plain;
    };

    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QStringList tables;    // the tables the layout logs on to
    QStringList formulas;  // the formula fields the program may set
    Body body = Body::List;

    // List
    QVector<Column> columns;
    bool countTotal = false;

    // Labels: lines of placeholder text; sheets for A4 and Letter paper
    QStringList labelLines;
    LabelSheet a4Sheet, letterSheet;

    // Document
    QVector<Column> fields; // heading and value lines at the top of each record
    QVector<Section> sections;

    // Summary
    Column label;          // what a row stands for
    Column count;          // the field holding the row's count

    // Ratings
    QString surveyName;    // the survey's name field
    QString question;      // field of question n, "%1" standing for n
    QString answer;        // field of answer n
    int questionCount = 10;

    // Reads a layout file. Throws AppError when it is missing or not a valid layout.
    static ReportLayout load(const QString& path);
    // Parses layout text (the file's contents); source names it in errors.
    static ReportLayout parse(const QByteArray& text, const QString& source);
};
