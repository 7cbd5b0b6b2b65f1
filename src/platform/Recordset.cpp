#include "platform/Recordset.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "platform/SqlDialect.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <cmath>
#include <limits>

namespace {

const QString kSource = QStringLiteral("Korvina database");

[[noreturn]] void raise(int number, const QString& description) { throw AppError(number, kSource, description); }

bool isIntegral(const QVariant& v) { return isIntegralValue(v); }

bool isFloating(const QVariant& v) { return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float; }

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

[[noreturn]] void mismatch(const ColumnInfo& c, const QVariant& v)
{
    raise(DbErrors::TypeMismatch, QStringLiteral("Data type conversion error: \"%1\" cannot be stored in the field %2.")
                                      .arg(v.toString(), c.name));
}

// A time of day as people type it: 14:30, 14:30:15, 2:30 PM.
QTime parseTime(const QString& text)
{
    for (const char* f : {"H:mm:ss", "H:mm", "h:mm:ss AP", "h:mm AP", "h:mm:ssAP", "h:mmAP"}) {
        const QTime t = QTime::fromString(text, QLatin1String(f));
        if (t.isValid())
            return t;
    }
    return QLocale().toTime(text, QLocale::ShortFormat);
}

// A date typed in the short-date form or ISO, with an optional time.
QVariant parseDate(const ColumnInfo& c, const QVariant& raw)
{
    const QString text = raw.toString().trimmed();
    if (text.isEmpty())
        return {};
    QString datePart = text, timePart;
    if (text.size() > 10 && text.at(4) == QLatin1Char('-') && text.at(10) == QLatin1Char('T')) {
        datePart = text.left(10);
        timePart = text.mid(11);
    } else if (const qsizetype blank = text.indexOf(QLatin1Char(' ')); blank > 0) {
        datePart = text.left(blank);
        timePart = text.mid(blank + 1).trimmed();
    }
    const QDate date = DateText::parse(datePart);
    if (!date.isValid())
        mismatch(c, raw);
    if (timePart.isEmpty())
        return date;
    const QTime time = parseTime(timePart);
    if (!time.isValid())
        mismatch(c, raw);
    return time == QTime(0, 0) ? QVariant(date) : QVariant(QDateTime(date, time));
}

// A value written to a field, converted to the field's type (what the engine would store).
QVariant convertFor(const ColumnInfo& c, const QVariant& v)
{
    if (isNull(v))
        return {};
    switch (c.type) {
    case FieldType::Integer: {
        double number = 0;
        if (isIntegral(v)) {
            number = double(v.toLongLong());
        } else if (isFloating(v)) {
            number = v.toDouble();
        } else {
            const QString text = v.toString().trimmed();
            if (text.isEmpty())
                return {};
            bool ok = false;
            const qlonglong whole = text.toLongLong(&ok);
            if (ok)
                number = double(whole);
            else {
                number = QLocale::c().toDouble(text, &ok);
                if (!ok)
                    mismatch(c, v);
            }
        }
        if (!std::isfinite(number) || number != std::trunc(number) || number < std::numeric_limits<qint32>::min()
            || number > std::numeric_limits<qint32>::max())
            mismatch(c, v);
        return qlonglong(number);
    }
    case FieldType::Double: {
        if (isIntegral(v) || isFloating(v))
            return v.toDouble();
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return {};
        bool ok = false;
        const double number = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(number))
            mismatch(c, v);
        return number;
    }
    case FieldType::Date:
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().isValid() ? v : QVariant();
        if (v.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid())
                return {};
            return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : v;
        }
        return parseDate(c, v);
    default: {
        QString text;
        if (v.typeId() == QMetaType::QDate)
            text = DateText::toIso(v.toDate());
        else if (isFloating(v))
            text = QLocale::c().toString(v.toDouble(), 'f', QLocale::FloatingPointShortest);
        else
            text = v.toString();
        if (c.type == FieldType::VarChar && c.definedSize > 0 && text.size() > c.definedSize)
            raise(DbErrors::FieldTooSmall,
                  QStringLiteral("The field %1 is too small to accept the amount of data (%2 characters, at most %3).")
                      .arg(c.name)
                      .arg(text.size())
                      .arg(c.definedSize));
        return text;
    }
    }
}

// ---- Find criteria: "Column op value" ----

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

struct Criterion {
    int column = -1;
    Op op = Op::Eq;
    QVariant value; // double, QString or QDate
};

int compareValues(const QVariant& field, const QVariant& value, bool& comparable)
{
    comparable = true;
    auto sign = [](double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); };
    const bool fieldNumber = isIntegral(field) || isFloating(field);
    const bool fieldDate = field.typeId() == QMetaType::QDate || field.typeId() == QMetaType::QDateTime;
    if (value.typeId() == QMetaType::QDate || fieldDate) {
        const QDate wanted = value.typeId() == QMetaType::QDate ? value.toDate() : DateText::parse(value.toString());
        const QDateTime have = field.typeId() == QMetaType::QDate ? QDateTime(field.toDate(), QTime(0, 0))
                               : fieldDate                        ? field.toDateTime()
                                                                  : QDateTime(DateText::parse(field.toString()), QTime(0, 0));
        if (!wanted.isValid() || !have.isValid()) {
            comparable = false;
            return 0;
        }
        const QDateTime w(wanted, QTime(0, 0));
        return have < w ? -1 : (have > w ? 1 : 0);
    }
    if (value.typeId() == QMetaType::Double || fieldNumber) {
        bool okA = true, okB = true;
        const double a = fieldNumber ? field.toDouble() : QLocale::c().toDouble(field.toString().trimmed(), &okA);
        const double b = value.typeId() == QMetaType::Double ? value.toDouble()
                                                             : QLocale::c().toDouble(value.toString().trimmed(), &okB);
        if (okA && okB)
            return sign(a - b);
    }
    return QString::compare(field.toString(), value.toString(), Qt::CaseInsensitive);
}

bool matches(const QVariant& field, const Criterion& c)
{
    if (isNull(field))
        return false;
    if (c.op == Op::Like) {
        QString pattern = c.value.typeId() == QMetaType::Double
                              ? QLocale::c().toString(c.value.toDouble(), 'f', QLocale::FloatingPointShortest)
                              : c.value.toString();
        pattern.replace(QLatin1Char('*'), QLatin1Char('%'));
        return SqlDialect::likeMatch(fieldText(field), pattern);
    }
    bool comparable = true;
    const int cmp = compareValues(field, c.value, comparable);
    if (!comparable)
        return false;
    switch (c.op) {
    case Op::Eq: return cmp == 0;
    case Op::Ne: return cmp != 0;
    case Op::Lt: return cmp < 0;
    case Op::Gt: return cmp > 0;
    case Op::Le: return cmp <= 0;
    case Op::Ge: return cmp >= 0;
    case Op::Like: break;
    }
    return false;
}

}

// ---- Field ----

QVariant Field::value() const { return m_rs.valueAt(m_index); }

QString Field::text() const { return fieldText(value()); }

void Field::setValue(const QVariant& value) { m_rs.setValueAt(m_index, value); }

QString Field::name() const
{
    if (m_index < 0 || m_index >= m_rs.fieldCount())
        raise(DbErrors::ItemNotFound, QStringLiteral("There is no field %1.").arg(m_index));
    return m_rs.columns().at(m_index).name;
}

int Field::type() const
{
    if (m_index < 0 || m_index >= m_rs.fieldCount())
        raise(DbErrors::ItemNotFound, QStringLiteral("There is no field %1.").arg(m_index));
    return m_rs.columns().at(m_index).type;
}

int Field::definedSize() const
{
    if (m_index < 0 || m_index >= m_rs.fieldCount())
        raise(DbErrors::ItemNotFound, QStringLiteral("There is no field %1.").arg(m_index));
    return m_rs.columns().at(m_index).definedSize;
}

int Field::actualSize() const
{
    const QVariant v = value();
    if (isNull(v))
        return 0;
    if (isIntegral(v))
        return 4;
    if (isFloating(v) || v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
        return 8;
    if (v.typeId() == QMetaType::QByteArray)
        return int(v.toByteArray().size());
    return int(v.toString().size());
}

// ---- Recordset ----

void Recordset::open(const QString& source, Connection& connection, CursorType, LockType lock, const ReadScope& scope)
{
    if (m_open)
        raise(DbErrors::AlreadyOpen, QStringLiteral("Operation is not allowed when the object is open."));
    const QString text = source.trimmed();
    static const QRegularExpression blank(QStringLiteral("\\s"));
    const bool isTable = !text.isEmpty() && !text.contains(blank);
    const ScopedRead scoped(connection.backend(), scope);
    ResultSet result = connection.backend().query(isTable ? QStringLiteral("SELECT * FROM ") + text : text);

    m_connection = &connection;
    m_lock = lock;
    m_result = std::move(result);
    m_table.clear();
    m_idColumn = -1;
    for (int i = 0; i < m_result.columns.size(); ++i)
        if (m_result.columns[i].baseColumn.compare(QLatin1String("EId"), Qt::CaseInsensitive) == 0) {
            m_idColumn = i;
            break;
        }
    if (lock != LockType::ReadOnly && m_idColumn >= 0) {
        const QString table = m_result.columns.first().baseTable;
        bool oneTable = !table.isEmpty();
        for (const ColumnInfo& c : m_result.columns)
            if (c.baseColumn.isEmpty() || c.baseTable.compare(table, Qt::CaseInsensitive) != 0)
                oneTable = false;
        if (oneTable)
            m_table = table;
    }
    m_pos = 0;
    m_deletedCurrent = false;
    m_buffer.reset();
    m_dirty.clear();
    m_adding = false;
    m_posBeforeAdd = -1;
    m_open = true;
}

void Recordset::close()
{
    checkOpen();
    // A pending edit is dropped: the caller neither saved nor moved.
    m_buffer.reset();
    m_dirty.clear();
    m_adding = false;
    m_result = ResultSet();
    m_table.clear();
    m_idColumn = -1;
    m_pos = -1;
    m_deletedCurrent = false;
    m_connection = nullptr;
    m_open = false;
}

void Recordset::checkOpen() const
{
    if (!m_open)
        raise(DbErrors::NotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::checkCurrent() const
{
    checkOpen();
    if (m_adding)
        return;
    if (m_deletedCurrent)
        raise(DbErrors::NoCurrentRecord, QStringLiteral("The current record has been deleted."));
    if (m_pos < 0 || m_pos >= m_result.rows.size())
        raise(DbErrors::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                                        "deleted. Requested operation requires a current record."));
}

void Recordset::checkWritable() const
{
    checkOpen();
    if (m_lock == LockType::ReadOnly)
        raise(DbErrors::ReadOnly, QStringLiteral("The record set is read-only: it was opened with a read-only lock."));
    if (m_table.isEmpty())
        raise(DbErrors::ReadOnly, QStringLiteral("The record set is read-only: its rows do not come from one table with EId."));
}

bool Recordset::eof() const
{
    checkOpen();
    if (m_adding || m_deletedCurrent)
        return false;
    return m_result.rows.isEmpty() || m_pos >= m_result.rows.size();
}

bool Recordset::bof() const
{
    checkOpen();
    if (m_adding || m_deletedCurrent)
        return false;
    return m_result.rows.isEmpty() || m_pos < 0;
}

void Recordset::moveFirst()
{
    checkOpen();
    commitPending();
    if (m_result.rows.isEmpty())
        raise(DbErrors::NoCurrentRecord, QStringLiteral("There is no record to move to."));
    m_pos = 0;
    m_deletedCurrent = false;
}

void Recordset::moveLast()
{
    checkOpen();
    commitPending();
    if (m_result.rows.isEmpty())
        raise(DbErrors::NoCurrentRecord, QStringLiteral("There is no record to move to."));
    m_pos = int(m_result.rows.size()) - 1;
    m_deletedCurrent = false;
}

void Recordset::moveNext()
{
    checkOpen();
    commitPending();
    if (m_deletedCurrent) {
        // The row that followed the deleted one now stands at its position.
        m_deletedCurrent = false;
        return;
    }
    if (eof())
        raise(DbErrors::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True: there is no next record."));
    ++m_pos;
}

void Recordset::movePrevious()
{
    checkOpen();
    commitPending();
    if (m_deletedCurrent) {
        m_deletedCurrent = false;
        --m_pos;
        return;
    }
    if (bof())
        raise(DbErrors::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True: there is no previous record."));
    m_pos = std::min(m_pos, int(m_result.rows.size())) - 1;
}

void Recordset::find(const QString& criteria)
{
    checkOpen();
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\[[^\]]+\]|[A-Za-z_][\w$.]*)\s*(<=|>=|<>|=|<|>|(?<![\w$])like(?=[\s'#\d+-]))\s*(.*?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    static const QRegularExpression quoted(QStringLiteral(R"(^'([^']*)'$)"));
    static const QRegularExpression dated(QStringLiteral(R"(^#([^#]+)#$)"));
    auto bad = [&] {
        raise(DbErrors::BadCriteria, QStringLiteral("The criteria \"%1\" cannot be understood: write Column op value, "
                                                    "the value a number or one quoted text.")
                                         .arg(criteria));
    };
    const QRegularExpressionMatch m = form.match(criteria);
    if (!m.hasMatch())
        bad();
    Criterion c;
    QString name = m.captured(1);
    if (name.startsWith(QLatin1Char('[')))
        name = name.mid(1, name.size() - 2);
    for (int i = 0; i < m_result.columns.size() && c.column < 0; ++i)
        if (m_result.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            c.column = i;
    if (c.column < 0 && name.contains(QLatin1Char('.'))) {
        const QString last = name.section(QLatin1Char('.'), -1);
        for (int i = 0; i < m_result.columns.size() && c.column < 0; ++i)
            if (m_result.columns[i].name.compare(last, Qt::CaseInsensitive) == 0)
                c.column = i;
    }
    if (c.column < 0)
        bad();
    const QString op = m.captured(2).toLower();
    c.op = op == QLatin1String("=")    ? Op::Eq
           : op == QLatin1String("<>") ? Op::Ne
           : op == QLatin1String("<")  ? Op::Lt
           : op == QLatin1String(">")  ? Op::Gt
           : op == QLatin1String("<=") ? Op::Le
           : op == QLatin1String(">=") ? Op::Ge
                                       : Op::Like;
    const QString value = m.captured(3);
    if (number.match(value).hasMatch())
        c.value = QLocale::c().toDouble(value);
    else if (const QRegularExpressionMatch q = quoted.match(value); q.hasMatch())
        c.value = q.captured(1);
    else if (const QRegularExpressionMatch d = dated.match(value); d.hasMatch()) {
        const QDate date = DateText::parse(d.captured(1));
        const QDate us = QDate::fromString(d.captured(1).trimmed(), QStringLiteral("M/d/yyyy"));
        if (!us.isValid() && !date.isValid())
            bad();
        c.value = us.isValid() ? us : date;
    } else
        bad();

    commitPending();
    int start = m_pos < 0 ? 0 : m_pos;
    m_deletedCurrent = false;
    const int count = int(m_result.rows.size());
    for (int i = start; i < count; ++i)
        if (matches(m_result.rows[i][c.column], c)) {
            m_pos = i;
            return;
        }
    m_pos = count;
}

void Recordset::setReadValues(const QVector<QVariant>& row)
{
    checkCurrent();
    if (m_adding || m_idColumn < 0 || row.size() != m_result.columns.size()
        || row[m_idColumn] != m_result.rows[m_pos][m_idColumn])
        return;
    m_result.rows[m_pos] = row;
}

void Recordset::addNew()
{
    checkWritable();
    commitPending();
    m_posBeforeAdd = m_pos;
    m_buffer = QVector<QVariant>(m_result.columns.size());
    m_dirty = QVector<bool>(m_result.columns.size(), false);
    m_adding = true;
}

void Recordset::update()
{
    checkWritable();
    commitPending();
}

void Recordset::cancelUpdate()
{
    checkOpen();
    if (!m_buffer)
        return;
    if (m_adding)
        m_pos = m_posBeforeAdd;
    m_buffer.reset();
    m_dirty.clear();
    m_adding = false;
}

void Recordset::deleteCurrent()
{
    checkWritable();
    if (m_adding) {
        // The new row was never stored: deleting it only drops it.
        cancelUpdate();
        return;
    }
    checkCurrent();
    m_buffer.reset();
    m_dirty.clear();
    const qint64 id = m_result.rows[m_pos][m_idColumn].toLongLong();
    m_connection->backend().deleteRow(m_table, id, asRead(m_result.rows[m_pos]));
    m_result.rows.remove(m_pos);
    m_deletedCurrent = true;
}

int Recordset::recordCount() const
{
    checkOpen();
    return int(m_result.rows.size());
}

int Recordset::fieldCount() const { return int(m_result.columns.size()); }

int Recordset::indexOf(const QString& name) const
{
    for (int i = 0; i < m_result.columns.size(); ++i)
        if (m_result.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    raise(DbErrors::ItemNotFound, QStringLiteral("Item cannot be found in the collection: there is no field %1.").arg(name));
}

qint64 Recordset::currentId() const
{
    for (int i = 0; i < m_result.columns.size(); ++i)
        if (m_result.columns[i].name.compare(QLatin1String("EId"), Qt::CaseInsensitive) == 0)
            return valueAt(i).toLongLong();
    raise(DbErrors::ItemNotFound, QStringLiteral("The record set has no field EId."));
}

QVariant Recordset::valueAt(int index) const
{
    checkOpen();
    if (index < 0 || index >= m_result.columns.size())
        raise(DbErrors::ItemNotFound, QStringLiteral("There is no field %1.").arg(index));
    checkCurrent();
    if (m_buffer)
        return (*m_buffer)[index];
    return m_result.rows[m_pos][index];
}

QVariant Recordset::convertedFor(const ColumnInfo& column, const QVariant& value)
{
    return convertFor(column, value);
}

void Recordset::setValueAt(int index, const QVariant& value)
{
    checkOpen();
    if (index < 0 || index >= m_result.columns.size())
        raise(DbErrors::ItemNotFound, QStringLiteral("There is no field %1.").arg(index));
    checkWritable();
    checkCurrent();
    const ColumnInfo& column = m_result.columns[index];
    if (index == m_idColumn)
        raise(DbErrors::ReadOnly, QStringLiteral("The field %1 is numbered by the database and cannot be written.").arg(column.name));
    const QVariant converted = convertFor(column, value);
    if (!m_buffer) {
        m_buffer = m_result.rows[m_pos];
        m_dirty = QVector<bool>(m_result.columns.size(), false);
    }
    (*m_buffer)[index] = converted;
    m_dirty[index] = true;
}

QVector<QVariant> Recordset::stored(const QVector<QVariant>& row) const
{
    if (row.size() != m_result.columns.size())
        raise(DbErrors::NoCurrentRecord, QStringLiteral("The row written to %1 cannot be read back.").arg(m_table));
    return row;
}

DbBackend::Values Recordset::asRead(const QVector<QVariant>& row) const
{
    DbBackend::Values values;
    for (int i = 0; i < m_result.columns.size(); ++i)
        if (i != m_idColumn && !m_result.columns[i].baseColumn.isEmpty())
            values.push_back({m_result.columns[i].baseColumn, row[i]});
    return values;
}

void Recordset::commitPending()
{
    if (!m_buffer)
        return;
    // The edit leaves the buffer whatever happens: a failed write is reported once and the
    // row stays as the database has it.
    const QVector<QVariant> buffer = std::move(*m_buffer);
    const QVector<bool> dirty = m_dirty;
    const bool adding = m_adding;
    m_buffer.reset();
    m_dirty.clear();
    m_adding = false;

    DbBackend::Values values;
    for (int i = 0; i < buffer.size(); ++i)
        if (dirty[i])
            values.push_back({m_result.columns[i].baseColumn, buffer[i]});
    // The row as stored comes back with the write, in this record set's columns.
    QStringList columns;
    for (const ColumnInfo& c : m_result.columns)
        columns << c.baseColumn;
    DbBackend& db = m_connection->backend();
    if (adding) {
        m_result.rows.push_back(stored(db.insertRow(m_table, values, columns)));
        m_pos = int(m_result.rows.size()) - 1;
        m_deletedCurrent = false;
    } else {
        if (values.isEmpty())
            return;
        const qint64 id = m_result.rows[m_pos][m_idColumn].toLongLong();
        m_result.rows[m_pos] = stored(db.updateRow(m_table, id, values, asRead(m_result.rows[m_pos]), columns));
    }
}
