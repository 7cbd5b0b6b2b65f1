#include "platform/WorksheetDatabase.h"

#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "platform/WorksheetCells.h"

#include <QLocale>
#include <QSet>

namespace {

enum class ColumnKind { Empty, Number, Date, Text };

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

void WorksheetDatabase::load(const QString& path, const QString& sheetName)
{
    close();
    const std::unique_ptr<WorksheetCells> cells = WorksheetCells::read(path, sheetName);
    load(*cells, sheetName);
}

void WorksheetDatabase::load(const WorksheetCells& cells, const QString& sheetName)
{
    close();
    const int columns = cells.columnCount();
    const int rows = cells.rowCount();

    QStringList names;
    QSet<QString> taken;
    for (int c = 0; c < columns; ++c) {
        QString name = textOf(cells.cell(0, c)).trimmed();
        if (name.isEmpty() || taken.contains(name.toUpper()))
            name = QStringLiteral("F%1").arg(c + 1);
        taken.insert(name.toUpper());
        names << name;
    }

    QVector<ColumnKind> kinds(columns, ColumnKind::Empty);
    QVector<int> longest(columns, 0);
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const QVariant v = cells.cell(r, c);
            if (isBlank(v))
                continue;
            const ColumnKind kind = v.typeId() == QMetaType::Double ? ColumnKind::Number
                                    : isDateValue(v)                ? ColumnKind::Date
                                                                    : ColumnKind::Text;
            if (kinds[c] == ColumnKind::Empty)
                kinds[c] = kind;
            else if (kinds[c] != kind)
                kinds[c] = ColumnKind::Text;
            longest[c] = std::max(longest[c], int(textOf(v).size()));
        }

    m_connection.open();
    try {
        QStringList declarations;
        for (int c = 0; c < columns; ++c) {
            QString type;
            switch (kinds[c]) {
            case ColumnKind::Number: type = QStringLiteral("DOUBLE"); break;
            case ColumnKind::Date: type = QStringLiteral("DATETIME"); break;
            default: type = longest[c] > 255 ? QStringLiteral("MEMO") : QStringLiteral("VARCHAR(255)"); break;
            }
            declarations << quoteName(names[c]) + QLatin1Char(' ') + type;
        }
        const QString table = sheetName + QLatin1Char('$');
        if (declarations.isEmpty())
            declarations << QStringLiteral("F1 VARCHAR(255)");
        m_connection.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(table), declarations.join(QStringLiteral(", "))));

        DbBackend& db = m_connection.backend();
        db.begin();
        DbBackend::Values values(columns);
        for (int r = 1; r < rows; ++r) {
            bool any = false;
            for (int c = 0; c < columns; ++c) {
                QVariant v = cells.cell(r, c);
                if (kinds[c] == ColumnKind::Text && !v.isNull())
                    v = textOf(v);
                else if (isBlank(v))
                    v = QVariant();
                any = any || !v.isNull();
                values[c] = {names[c], v};
            }
            // Rows left empty inside the used range are not rows of the list.
            if (any)
                db.insertRow(table, values);
        }
        db.commit();
        m_table = table;
        m_columns = names;
    } catch (...) {
        m_connection.close();
        throw;
    }
}
