#include "platform/WorksheetDatabase.h"

#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "platform/WorksheetRows.h"

#include <QSet>

namespace {

enum class ColumnKind { Empty, Number, Date, Text };
constexpr int kRowsPerProgress = 500;
constexpr int kCellsPerSlice = 500;
// The rows as read, before the kinds of the columns are known: column c<n> holds the cells of
// worksheet column n, the key is the row's number in the worksheet.
const QString kCells = QStringLiteral("cells");

bool isDateValue(const QVariant& v) { return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime; }

bool isBlank(const QVariant& v) { return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()); }

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString cellColumn(qsizetype column) { return QStringLiteral("c%1").arg(column); }

bool hasValue(const WorksheetRow& row)
{
    return std::any_of(row.cells.cbegin(), row.cells.cend(), [](const QVariant& v) { return !isBlank(v); });
}

ColumnKind kindOf(const QVariant& v)
{
    return v.typeId() == QMetaType::Double ? ColumnKind::Number : isDateValue(v) ? ColumnKind::Date : ColumnKind::Text;
}

// A cell as the rows read keep it: a date as its stored text in a blob, apart from any text.
QVariant kept(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate)
        return DateText::toIso(v.toDate()).toLatin1();
    if (v.typeId() == QMetaType::QDateTime) {
        const QDateTime moment = v.toDateTime();
        return (moment.time() == QTime(0, 0) ? DateText::toIso(moment.date())
                                             : moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .toLatin1();
    }
    return v;
}

// What the reading finds: the header row, the used columns, their kinds and longest texts.
struct Layout {
    int headerRow = 0;
    qsizetype firstColumn = -1;
    QVector<QVariant> header;
    QVector<ColumnKind> kinds;
    QVector<int> longest;
    QVector<bool> mixed; // a text column that holds numbers or dates too
    qsizetype width() const { return std::max(header.size(), kinds.size()); }

    void note(const WorksheetRow& row)
    {
        for (qsizetype c = 0; c < row.cells.size(); ++c)
            if (!isBlank(row.cells[c]) && (firstColumn < 0 || c < firstColumn))
                firstColumn = c;
        if (headerRow == 0) {
            headerRow = row.number;
            header = row.cells;
            return;
        }
        if (kinds.size() < row.cells.size()) {
            kinds.resize(row.cells.size(), ColumnKind::Empty);
            longest.resize(row.cells.size(), 0);
            mixed.resize(row.cells.size(), false);
        }
        for (qsizetype c = 0; c < row.cells.size(); ++c) {
            const QVariant& v = row.cells[c];
            if (isBlank(v))
                continue;
            ColumnKind& kind = kinds[c];
            const ColumnKind found = kindOf(v);
            if (kind != ColumnKind::Empty && kind != found)
                mixed[c] = true;
            kind = kind == ColumnKind::Empty || kind == found ? found : ColumnKind::Text;
            if (found == ColumnKind::Text)
                longest[c] = std::max(longest[c], int(v.toString().size()));
        }
    }
};

QString declaration(ColumnKind kind, int longest)
{
    switch (kind) {
    case ColumnKind::Number: return QStringLiteral("DOUBLE");
    case ColumnKind::Date: return QStringLiteral("DATETIME");
    default: return longest > 255 ? QStringLiteral("MEMO") : QStringLiteral("VARCHAR(255)");
    }
}

// A column's cells as the sheet's table holds them.
QString cellsAs(ColumnKind kind, const QString& cell)
{
    switch (kind) {
    case ColumnKind::Number: return QStringLiteral("CASE WHEN typeof(%1) = 'real' THEN %1 END").arg(cell);
    case ColumnKind::Date: return QStringLiteral("CASE WHEN typeof(%1) = 'blob' THEN CAST(%1 AS TEXT) END").arg(cell);
    case ColumnKind::Text: return cell;
    default: return QStringLiteral("NULL");
    }
}

// Reads every row once into the table of cells; false when stopped.
bool readCells(WorksheetRows& rows, DbBackend& db, Layout& layout, const WorksheetDatabase::Progress& progress)
{
    db.execute(QStringLiteral("CREATE TABLE %1 (at INTEGER PRIMARY KEY)").arg(kCells));
    std::unique_ptr<RowInserter> insert;
    qsizetype width = 0;
    QVector<QVariant> values;
    WorksheetRow row;
    int count = 0;
    while (rows.next(row)) {
        if (progress && ++count % kRowsPerProgress == 0 && !progress(count))
            return false;
        // Rows left empty inside the used range are not rows of the list.
        if (!hasValue(row) || (layout.headerRow != 0 && row.number <= layout.headerRow))
            continue;
        const bool isHeader = layout.headerRow == 0;
        layout.note(row);
        if (isHeader)
            continue;
        if (!insert || row.cells.size() > width) {
            insert.reset();
            QStringList names{QStringLiteral("at")};
            for (qsizetype c = 0; c < std::max(width, row.cells.size()); ++c) {
                if (c >= width)
                    db.execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(kCells, cellColumn(c)));
                names << cellColumn(c);
            }
            width = names.size() - 1;
            insert = db.prepareInsert(kCells, names);
            values.resize(width + 1);
        }
        values[0] = row.number;
        for (qsizetype c = 0; c < width; ++c)
            values[c + 1] = c < row.cells.size() ? kept(row.cells[c]) : QVariant();
        insert->insert(values);
    }
    return true;
}

// The numbers and dates of a text column become their text, as the screens show them.
void numbersAsText(DbBackend& db, qsizetype column, int& longest)
{
    const QString cell = cellColumn(column);
    db.execute(QStringLiteral("CREATE TABLE texts (at INTEGER PRIMARY KEY, text)"));
    std::unique_ptr<RowInserter> insert = db.prepareInsert(QStringLiteral("texts"), {QStringLiteral("at"), QStringLiteral("text")});
    qint64 after = -1;
    for (;;) {
        const ResultSet slice = db.query(QStringLiteral("SELECT at, %1 FROM %2 WHERE at > ? AND typeof(%1) IN ('real', 'blob') "
                                                        "ORDER BY at LIMIT %3")
                                             .arg(cell, kCells)
                                             .arg(kCellsPerSlice),
                                         {after});
        for (const QVector<QVariant>& found : slice.rows) {
            const QVariant& v = found.at(1);
            const QString text = v.typeId() == QMetaType::QByteArray ? DateText::format(QString::fromLatin1(v.toByteArray()))
                                                                     : fieldText(v);
            longest = std::max(longest, int(text.size()));
            insert->insert({found.at(0), text});
            after = found.at(0).toLongLong();
        }
        if (slice.rows.size() < kCellsPerSlice)
            break;
    }
    insert.reset();
    db.execute(QStringLiteral("UPDATE %1 SET %2 = (SELECT text FROM texts WHERE texts.at = %1.at) "
                              "WHERE at IN (SELECT at FROM texts)")
                   .arg(kCells, cell));
    db.execute(QStringLiteral("DROP TABLE texts"));
}

}

WorksheetDatabase::WorksheetDatabase()
{
    m_connection.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=:memory:"));
}

WorksheetDatabase::~WorksheetDatabase() = default;

void WorksheetDatabase::close()
{
    m_connection.close();
    m_columns.clear();
}

bool WorksheetDatabase::load(const QString& path, const QString& sheetName, const Progress& progress)
{
    close();
    const std::unique_ptr<WorksheetRows> rows = WorksheetRows::open(path, sheetName);
    m_connection.open();
    try {
        DbBackend& db = m_connection.backend();
        db.begin();
        Layout layout;
        if (!readCells(*rows, db, layout, progress)) {
            m_connection.close();
            return false;
        }
        // The columns left of the first that holds a value are not the list's.
        const qsizetype first = std::max<qsizetype>(layout.firstColumn, 0);
        const qsizetype read = layout.kinds.size(); // the columns of the table of cells
        const qsizetype width = layout.width();
        layout.header.resize(width);
        layout.kinds.resize(width, ColumnKind::Empty);
        layout.longest.resize(width, 0);
        layout.mixed.resize(width, false);
        const qsizetype columns = std::max<qsizetype>(width - first, 0);
        QStringList names;
        QSet<QString> taken;
        for (qsizetype c = 0; c < columns; ++c) {
            QString name = fieldText(layout.header[c + first]).trimmed();
            if (name.isEmpty() || taken.contains(name.toUpper()))
                name = QStringLiteral("F%1").arg(c + 1);
            taken.insert(name.toUpper());
            names << name;
        }

        QStringList declarations, copied;
        for (qsizetype c = 0; c < columns; ++c) {
            const qsizetype at = c + first;
            if (layout.kinds[at] == ColumnKind::Text && layout.mixed[at])
                numbersAsText(db, at, layout.longest[at]);
            declarations << quoteName(names[c]) + QLatin1Char(' ') + declaration(layout.kinds[at], layout.longest[at]);
            copied << (at < read ? cellsAs(layout.kinds[at], cellColumn(at)) : QStringLiteral("NULL"));
        }
        const QString table = sheetName + QLatin1Char('$');
        if (declarations.isEmpty())
            declarations << QStringLiteral("F1 VARCHAR(255)");
        db.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(table), declarations.join(QStringLiteral(", "))));
        if (!names.isEmpty()) {
            QStringList quoted;
            for (const QString& name : std::as_const(names))
                quoted << quoteName(name);
            db.execute(QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT at, %3 FROM %4 ORDER BY at")
                           .arg(quoteName(table), quoted.join(QStringLiteral(", ")), copied.join(QStringLiteral(", ")), kCells));
        }
        db.execute(QStringLiteral("DROP TABLE %1").arg(kCells));
        db.commit();
        m_columns = names;
    } catch (...) {
        m_connection.close();
        throw;
    }
    return true;
}
