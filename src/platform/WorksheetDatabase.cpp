#include "platform/WorksheetDatabase.h"

#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "platform/WorksheetRows.h"

#include <QLocale>
#include <QSet>

namespace {

enum class ColumnKind { Empty, Number, Date, Text };
constexpr int kRowsPerProgress = 500;

bool isDateValue(const QVariant& v) { return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime; }

bool isBlank(const QVariant& v) { return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()); }

QString textOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::Double)
        return QLocale::c().toString(v.toDouble(), 'f', QLocale::FloatingPointShortest);
    if (isDateValue(v))
        return DateText::format(v);
    return v.toString();
}

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

bool hasValue(const WorksheetRow& row)
{
    return std::any_of(row.cells.cbegin(), row.cells.cend(), [](const QVariant& v) { return !isBlank(v); });
}

// What the first reading finds: the header row, the used columns and their kinds.
struct Layout {
    int headerRow = 0;
    int firstColumn = 0;
    QVector<QVariant> header;
    QVector<ColumnKind> kinds;
    QVector<int> longest;
};

ColumnKind kindOf(const QVariant& v)
{
    return v.typeId() == QMetaType::Double ? ColumnKind::Number : isDateValue(v) ? ColumnKind::Date : ColumnKind::Text;
}

// Reads every row once for the layout; false when stopped.
bool survey(WorksheetRows& rows, Layout& layout, const WorksheetDatabase::Progress& progress)
{
    WorksheetRow row;
    int count = 0, first = INT_MAX;
    while (rows.next(row)) {
        if (progress && ++count % kRowsPerProgress == 0 && !progress(count))
            return false;
        if (!hasValue(row))
            continue;
        for (int c = 0; c < row.cells.size() && c < first; ++c)
            if (!isBlank(row.cells[c]))
                first = c;
        if (layout.headerRow == 0) {
            layout.headerRow = row.number;
            layout.header = row.cells;
            continue;
        }
        if (layout.kinds.size() < row.cells.size()) {
            layout.kinds.resize(row.cells.size(), ColumnKind::Empty);
            layout.longest.resize(row.cells.size(), 0);
        }
        for (int c = 0; c < row.cells.size(); ++c) {
            const QVariant& v = row.cells[c];
            if (isBlank(v))
                continue;
            ColumnKind& kind = layout.kinds[c];
            kind = kind == ColumnKind::Empty || kind == kindOf(v) ? kindOf(v) : ColumnKind::Text;
            layout.longest[c] = std::max(layout.longest[c], int(textOf(v).size()));
        }
    }
    layout.firstColumn = first == INT_MAX ? 0 : first;
    const qsizetype columns = std::max(layout.header.size(), layout.kinds.size());
    layout.header.resize(columns);
    layout.kinds.resize(columns, ColumnKind::Empty);
    layout.longest.resize(columns, 0);
    layout.header.remove(0, std::min<qsizetype>(layout.firstColumn, columns));
    layout.kinds.remove(0, std::min<qsizetype>(layout.firstColumn, columns));
    layout.longest.remove(0, std::min<qsizetype>(layout.firstColumn, columns));
    return true;
}

QString declaration(ColumnKind kind, int longest)
{
    switch (kind) {
    case ColumnKind::Number: return QStringLiteral("DOUBLE");
    case ColumnKind::Date: return QStringLiteral("DATETIME");
    default: return longest > 255 ? QStringLiteral("MEMO") : QStringLiteral("VARCHAR(255)");
    }
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
    m_table.clear();
    m_columns.clear();
}

bool WorksheetDatabase::load(const QString& path, const QString& sheetName, const Progress& progress)
{
    close();
    Layout layout;
    if (!survey(*WorksheetRows::open(path, sheetName), layout, progress))
        return false;
    const int columns = int(layout.header.size());
    QStringList names;
    QSet<QString> taken;
    for (int c = 0; c < columns; ++c) {
        QString name = textOf(layout.header[c]).trimmed();
        if (name.isEmpty() || taken.contains(name.toUpper()))
            name = QStringLiteral("F%1").arg(c + 1);
        taken.insert(name.toUpper());
        names << name;
    }

    m_connection.open();
    try {
        QStringList declarations;
        for (int c = 0; c < columns; ++c)
            declarations << quoteName(names[c]) + QLatin1Char(' ') + declaration(layout.kinds[c], layout.longest[c]);
        const QString table = sheetName + QLatin1Char('$');
        if (declarations.isEmpty())
            declarations << QStringLiteral("F1 VARCHAR(255)");
        m_connection.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(table), declarations.join(QStringLiteral(", "))));

        DbBackend& db = m_connection.backend();
        db.begin();
        const std::unique_ptr<WorksheetRows> rows = WorksheetRows::open(path, sheetName);
        WorksheetRow row;
        DbBackend::Values values(columns + 1);
        int count = 0;
        while (rows->next(row)) {
            if (progress && ++count % kRowsPerProgress == 0 && !progress(count)) {
                m_connection.close();
                return false;
            }
            // Rows left empty inside the used range are not rows of the list.
            if (row.number <= layout.headerRow || !hasValue(row))
                continue;
            values[0] = {QStringLiteral("rowid"), row.number};
            for (int c = 0; c < columns; ++c) {
                const int at = c + layout.firstColumn;
                QVariant v = at < row.cells.size() ? row.cells[at] : QVariant();
                if (layout.kinds[c] == ColumnKind::Text && !v.isNull())
                    v = textOf(v);
                else if (isBlank(v))
                    v = QVariant();
                values[c + 1] = {names[c], v};
            }
            db.insertRow(table, values);
        }
        db.commit();
        m_table = table;
        m_columns = names;
    } catch (...) {
        m_connection.close();
        throw;
    }
    return true;
}
