#include "platform/PgBackend.h"

#include "platform/DateText.h"

#include "platform/AppError.h"
#include "platform/PgScope.h"
#include "platform/SqlTokens.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <charconv>

#include <libpq-fe.h>

namespace {

const QString kSource = QStringLiteral("Korvina database");

// Type oids of the server's built-in types.
enum class PgType : unsigned {
    Bool = 16, Bytea = 17, Int8 = 20, Int2 = 21, Int4 = 23, Text = 25, Oid = 26, Float4 = 700, Float8 = 701,
    BpChar = 1042, VarChar = 1043, Date = 1082, Timestamp = 1114, TimestampTz = 1184, Numeric = 1700
};

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// A parameter as the text the server reads; a null QByteArray is SQL NULL. Bytes go in the
// server's hex form ("\x0aff"), which a bytea column reads.
QByteArray parameterText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (isIntegralValue(v))
        return QByteArray::number(v.toLongLong());
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(v.toDouble(), 'g', 17);
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    case QMetaType::QByteArray:
        return "\\x" + v.toByteArray().toHex();
    default: {
        const QByteArray text = v.toString().toUtf8();
        return text.isNull() ? QByteArray("") : text;
    }
    }
}

// A date or time stamp as the server writes it ("2024-03-04" or "2024-03-04 10:30:00[.123]"):
// a date when there is no time of day, as on the file.
QVariant dateValue(const char* text, int length)
{
    const QVariant value = DateText::fromStored(text, length, DateText::Midnight::IsDate);
    return value.isNull() ? QVariant(QString::fromLatin1(text, length)) : value;
}

qlonglong integerValue(const char* text, int length)
{
    qlonglong n = 0;
    std::from_chars(text, text + length, n);
    return n;
}

int errorNumber(const char* sqlState)
{
    const QByteArray state(sqlState ? sqlState : "");
    if (state == "22001")
        return DbErrors::FieldTooSmall;
    if (state.startsWith("22"))
        return DbErrors::TypeMismatch;
    if (state.startsWith("42"))
        return DbErrors::SyntaxError;
    return DbErrors::General;
}

}

namespace {
// A text too long for its column, named: table, row and column.
[[noreturn]] void tooLong(const AppError& e, const QString& table, const QString& row, const QString& column, int size)
{
    throw AppError(DbErrors::FieldTooSmall, kSource,
                   QStringLiteral("The value of %1 in %2 of %3 is longer than the column's %4 characters (%5)")
                       .arg(column, row, table)
                       .arg(size)
                       .arg(e.description().simplified()));
}

}

void PgBackend::nameTooLong(const AppError& e, const QString& table, const QString& row, const Values& values)
{
    if (e.number() != DbErrors::FieldTooSmall)
        throw e;
    QHash<QString, int> sizes;
    try {
        for (const ColumnInfo& c : tableColumns(table))
            sizes.insert(c.name.toLower(), c.type == FieldType::VarChar ? c.definedSize : 0);
    } catch (const AppError&) {
        throw e;
    }
    for (const auto& v : values) {
        const int size = sizes.value(v.first.toLower());
        if (size > 0 && v.second.toString().size() > size)
            tooLong(e, exactName(table), row, exactName(v.first), size);
    }
    throw e;
}

struct PgBackend::Result {
    pg_result* p = nullptr;
    explicit Result(pg_result* r = nullptr) : p(r) {}
    ~Result() { PQclear(p); }
    Result(Result&& o) noexcept : p(o.p) { o.p = nullptr; }
    Result& operator=(Result&& o) noexcept
    {
        std::swap(p, o.p);
        return *this;
    }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
};

PgBackend::~PgBackend()
{
    try {
        close();
    } catch (...) {
    }
}

QString PgBackend::redacted(const QString& url)
{
    QUrl u(url);
    if (!u.isValid())
        return QStringLiteral("(a database URL that cannot be read)");
    u.setPassword(QString());
    QUrlQuery query(u);
    if (query.hasQueryItem(QStringLiteral("password"))) {
        query.removeAllQueryItems(QStringLiteral("password"));
        u.setQuery(query);
    }
    return u.toString();
}

void PgBackend::open(const ConnectionParams& params)
{
    close();
    const QByteArray url = params.dataSource.toUtf8();
    // Settings the provider relies on, whatever the server's defaults are.
    // A server that does not answer is given up after 10 seconds, unless the URL says otherwise.
    const char* keys[] = {"connect_timeout", "dbname", "client_encoding", "options", "application_name", nullptr};
    const char* values[] = {"10", url.constData(), "UTF8", "-c DateStyle=ISO,MDY -c extra_float_digits=3", "korvina",
                            nullptr};
    pg_conn* conn = PQconnectdbParams(keys, values, 1);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        const QString why = conn ? QString::fromUtf8(PQerrorMessage(conn)).simplified() : QStringLiteral("out of memory");
        PQfinish(conn);
        // A server that answers refused us (password, database); one that does not is unreachable.
        const bool answers = PQpingParams(keys, values, 1) != PQPING_NO_RESPONSE;
        throw AppError(answers ? DbErrors::CannotOpen : DbErrors::Unreachable, kSource,
                       QStringLiteral("Cannot reach the database %1: %2").arg(redacted(params.dataSource), why));
    }
    m_conn = conn;
    m_depth = 0;
    m_begun = false;
    try {
        ensureCollations();
        loadNames();
    } catch (...) {
        close();
        throw;
    }
}

void PgBackend::close()
{
    if (!m_conn)
        return;
    // The program never rolls back: what it began is kept.
    if (m_begun)
        PQclear(PQexec(m_conn, "COMMIT"));
    m_depth = 0;
    m_begun = false;
    m_lost = false;
    PQfinish(m_conn);
    m_conn = nullptr;
}

bool PgBackend::reconnect()
{
    if (PQstatus(m_conn) != CONNECTION_BAD)
        return false;
    // A transaction the server began is gone with the connection: what it wrote was not kept,
    // and the rest of it must not be committed on its own.
    if (m_begun) {
        m_begun = false;
        m_lost = m_depth > 0;
    }
    PQreset(m_conn);
    return PQstatus(m_conn) == CONNECTION_OK && !m_lost;
}

void PgBackend::unreachable(bool transactionLost) const
{
    const QString why = QString::fromUtf8(PQerrorMessage(m_conn)).simplified();
    throw AppError(DbErrors::Unreachable, kSource,
                   (transactionLost ? QStringLiteral("The connection to the database server was lost during a transaction; "
                                            "nothing of it was kept: ")
                           : QStringLiteral("The database server cannot be reached: "))
                       + why);
}

void PgBackend::ensureOpen() const
{
    if (!m_conn)
        throw AppError(DbErrors::NotOpen, kSource, QStringLiteral("Operation is not allowed when the connection is closed."));
}

void PgBackend::ensureCollations()
{
    // Text columns compare, group and sort without regard to case; Like folds case under a
    // deterministic collation. Both are made once per database (the first copy that can).
    const QString exists = QStringLiteral("SELECT count(*) FROM pg_catalog.pg_collation WHERE collname IN ('%1', '%2') "
                                          "AND collnamespace = current_schema()::regnamespace")
                               .arg(QLatin1String(PgDialect::NoCaseCollation), QLatin1String(PgDialect::LikeCollation));
    const ResultSet present = toResultSet(run(exists, {}, exists).p);
    if (!present.rows.isEmpty() && present.rows.first().first().toInt() == 2)
        return;
    const char* statements[] = {
        "CREATE COLLATION IF NOT EXISTS korvina_nocase (provider = icu, locale = 'und-u-ks-level2', deterministic = false)",
        "CREATE COLLATION IF NOT EXISTS korvina_like (provider = icu, locale = 'und')"};
    for (const char* s : statements) {
        const QString sql = QString::fromLatin1(s);
        run(sql, {}, sql);
    }
}

void PgBackend::loadNames()
{
    const QString sql = QStringLiteral(
        "SELECT c.oid::bigint, c.relname::text, a.attnum::int, a.attname::text FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid WHERE c.relnamespace = current_schema()::regnamespace "
        "AND c.relkind IN ('r', 'v', 'p') AND a.attnum > 0 AND NOT a.attisdropped ORDER BY 1, 3");
    Result r = run(sql, {}, sql);
    m_names = {};
    m_tables.clear();
    for (int i = 0; i < PQntuples(r.p); ++i) {
        const unsigned oid = QByteArray(PQgetvalue(r.p, i, 0)).toUInt();
        const QString table = QString::fromUtf8(PQgetvalue(r.p, i, 1));
        const QString column = QString::fromUtf8(PQgetvalue(r.p, i, 3));
        TableInfo& info = m_tables[oid];
        info.name = table;
        info.columns.insert(QByteArray(PQgetvalue(r.p, i, 2)).toInt(), column);
        m_names.spelling.insert(table.toLower(), table);
        m_names.spelling.insert(column.toLower(), column);
        m_names.columns[table.toLower()] << column;
    }
}

QString PgBackend::exactName(const QString& name) const { return m_names.spelling.value(name.toLower(), name); }

void PgBackend::runPlain(const char* command)
{
    Result r(PQexec(m_conn, command));
    if (PQresultStatus(r.p) != PGRES_COMMAND_OK)
        throw AppError(DbErrors::General, kSource,
                       QString::fromUtf8(PQresultErrorMessage(r.p)).trimmed() + QStringLiteral(" in statement: ")
                           + QLatin1String(command));
}

std::vector<PgBackend::Result> PgBackend::runTogether(const QVector<QByteArray>& commands, int withParameters,
                                                      const QVector<const char*>& parameters)
{
    std::vector<Result> results;
    bool sent = PQenterPipelineMode(m_conn) == 1;
    for (int i = 0; sent && i < commands.size(); ++i) {
        const bool given = i == withParameters;
        sent = PQsendQueryParams(m_conn, commands[i].constData(), given ? int(parameters.size()) : 0, nullptr,
                                 given ? parameters.constData() : nullptr, nullptr, nullptr, 0)
               == 1;
    }
    if (sent && PQpipelineSync(m_conn) == 1) {
        // Each command's result ends with a null one; after a failure the rest come back aborted.
        for (int i = 0; i < commands.size(); ++i) {
            Result last;
            while (pg_result* r = PQgetResult(m_conn))
                last = Result(r);
            results.push_back(std::move(last));
        }
        Result sync(PQgetResult(m_conn));
    }
    if (PQexitPipelineMode(m_conn) != 1 || int(results.size()) != commands.size())
        throw AppError(DbErrors::General, kSource,
                       QStringLiteral("The database server cannot be reached: ")
                           + QString::fromUtf8(PQerrorMessage(m_conn)).trimmed());
    return results;
}

PgBackend::Result PgBackend::run(const QString& serverSql, const QVariantList& parameters, const QString& original)
{
    ensureOpen();
    if (m_lost)
        unreachable(true);
    try {
        return runOnce(serverSql, parameters, original);
    } catch (const AppError&) {
        if (PQstatus(m_conn) != CONNECTION_BAD)
            throw;
    }
    // The server went away (restarted, or the network dropped): the statement runs again on a
    // new connection when nothing of a transaction was lost with the old one.
    if (!reconnect())
        unreachable(m_lost);
    return runOnce(serverSql, parameters, original);
}

PgBackend::Result PgBackend::runOnce(const QString& serverSql, const QVariantList& parameters, const QString& original)
{
    QVector<QByteArray> texts;
    QVector<const char*> pointers;
    texts.reserve(parameters.size());
    for (const QVariant& p : parameters)
        texts << parameterText(p);
    for (const QByteArray& t : texts)
        pointers << (t.isNull() ? nullptr : t.constData());
    const QByteArray sql = serverSql.toUtf8();
    const auto failed = [](const Result& r) {
        const ExecStatusType status = PQresultStatus(r.p);
        return !r.p || (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK);
    };
    const auto report = [&](const Result& r) {
        const QString why = QString::fromUtf8(r.p ? PQresultErrorMessage(r.p) : PQerrorMessage(m_conn)).trimmed();
        throw AppError(errorNumber(PQresultErrorField(r.p, PG_DIAG_SQLSTATE)), kSource,
                       why + QStringLiteral(" in statement: ") + original);
    };
    if (m_depth == 0) {
        Result r(PQexecParams(m_conn, sql.constData(), int(pointers.size()), nullptr, pointers.constData(), nullptr,
                              nullptr, 0));
        if (failed(r))
            report(r);
        return r;
    }
    // In a transaction each statement costs one round trip. The first goes out with the BEGIN:
    // when it fails the transaction has nothing else to keep, so it is rolled back and begins
    // again with the next statement. A later one stands between a savepoint and its release,
    // and a failure rolls back to the savepoint.
    const bool first = !m_begun;
    QVector<QByteArray> commands{first ? QByteArray("BEGIN") : QByteArray("SAVEPOINT korvina_statement"), sql};
    if (!first)
        commands << QByteArray("RELEASE SAVEPOINT korvina_statement");
    std::vector<Result> results = runTogether(commands, 1, pointers);
    const auto failure = std::find_if(results.begin(), results.end(), failed);
    if (failure == results.end()) {
        m_begun = true;
        return std::move(results[1]);
    }
    if (!failed(results[0]))
        runPlain(first ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT korvina_statement");
    report(*failure);
    return Result();
}

ResultSet PgBackend::toResultSet(pg_result* r) const
{
    ResultSet result;
    const int n = PQnfields(r);
    result.columns.resize(n);
    QVector<PgType> types(n);
    for (int i = 0; i < n; ++i) {
        ColumnInfo& c = result.columns[i];
        c.name = QString::fromUtf8(PQfname(r, i));
        const unsigned table = PQftable(r, i);
        if (const auto t = m_tables.constFind(table); table != InvalidOid && t != m_tables.constEnd()) {
            c.baseTable = t->name;
            c.baseColumn = t->columns.value(PQftablecol(r, i));
        }
        types[i] = PgType(PQftype(r, i));
        switch (types[i]) {
        case PgType::Bool:
        case PgType::Int2:
        case PgType::Int4:
        case PgType::Int8:
        case PgType::Oid:
            c.type = FieldType::Integer;
            c.definedSize = 4;
            break;
        case PgType::Float4:
        case PgType::Float8:
        case PgType::Numeric:
            c.type = FieldType::Double;
            c.definedSize = 8;
            break;
        case PgType::Date:
        case PgType::Timestamp:
        case PgType::TimestampTz:
            c.type = FieldType::Date;
            c.definedSize = 8;
            break;
        case PgType::VarChar:
        case PgType::BpChar:
            c.type = FieldType::VarChar;
            c.definedSize = PQfmod(r, i) > 4 ? PQfmod(r, i) - 4 : 255;
            break;
        case PgType::Bytea:
            c.type = FieldType::Binary;
            c.definedSize = 0;
            break;
        case PgType::Text:
            // A table's long text is a memo; a computed text is an ordinary one.
            c.type = c.baseColumn.isEmpty() ? FieldType::VarChar : FieldType::Memo;
            c.definedSize = c.baseColumn.isEmpty() ? 255 : 65500;
            break;
        default:
            c.type = FieldType::VarChar;
            c.definedSize = 255;
        }
    }
    const int rows = PQntuples(r);
    result.rows.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        QVector<QVariant> values(n);
        for (int i = 0; i < n; ++i) {
            if (PQgetisnull(r, row, i))
                continue;
            const char* text = PQgetvalue(r, row, i);
            const int length = PQgetlength(r, row, i);
            switch (types[i]) {
            case PgType::Bool: values[i] = qlonglong(text[0] == 't' ? 1 : 0); break;
            case PgType::Int2:
            case PgType::Int4:
            case PgType::Int8:
            case PgType::Oid: values[i] = integerValue(text, length); break;
            case PgType::Float4:
            case PgType::Float8:
            case PgType::Numeric: values[i] = QByteArray::fromRawData(text, length).toDouble(); break;
            case PgType::Date:
            case PgType::Timestamp:
            case PgType::TimestampTz: values[i] = dateValue(text, length); break;
            case PgType::Bytea: values[i] = QByteArray::fromHex(QByteArray::fromRawData(text, length).mid(2)); break;
            default: values[i] = QString::fromUtf8(text, length);
            }
        }
        result.rows.push_back(std::move(values));
    }
    return result;
}

void PgBackend::begin()
{
    ensureOpen();
    ++m_depth;
}

void PgBackend::commit()
{
    ensureOpen();
    if (m_depth == 0)
        throw AppError(DbErrors::General, kSource, QStringLiteral("No transaction is active."));
    if (--m_depth > 0)
        return;
    if (m_lost) {
        m_lost = false;
        unreachable(true);
    }
    if (!m_begun)
        return; // a transaction that ran no statement has nothing to commit
    m_begun = false;
    Result r(PQexec(m_conn, "COMMIT"));
    if (PQstatus(m_conn) == CONNECTION_BAD) {
        PQreset(m_conn); // for the next statement; this transaction is gone
        unreachable(true);
    }
    // A transaction the server gave up on reports "ROLLBACK": nothing of it was kept.
    if (PQresultStatus(r.p) != PGRES_COMMAND_OK || QByteArray(PQcmdStatus(r.p)) != "COMMIT")
        throw AppError(DbErrors::General, kSource,
                       QStringLiteral("The transaction could not be committed: ")
                           + QString::fromUtf8(PQresultErrorMessage(r.p)).trimmed());
}

void PgBackend::rollback()
{
    ensureOpen();
    if (m_depth == 0)
        return;
    m_depth = 0;
    if (m_lost) {
        m_lost = false; // the server dropped it already
        return;
    }
    if (m_begun) {
        m_begun = false;
        runPlain("ROLLBACK");
    }
}

ResultSet PgBackend::query(const QString& sql, const QVariantList& parameters)
{
    ensureOpen();
    PgScope::check(sql, readScope(), m_names);
    if (SqlTokens::hasSecondStatement(SqlTokens::tokenize(sql)))
        throw AppError(DbErrors::ExtraStatement, kSource,
                       QStringLiteral("Characters found after end of SQL statement in statement: ") + sql);
    Result r = run(PgDialect::translate(sql, m_names), parameters, sql);
    return toResultSet(r.p);
}

void PgBackend::execute(const QString& sql, const QVariantList& parameters)
{
    query(sql, parameters);
    // A new or changed table brings new names.
    const QString verb = sql.trimmed().section(QLatin1Char(' '), 0, 0);
    for (const char* ddl : {"CREATE", "ALTER", "DROP"})
        if (verb.compare(QLatin1String(ddl), Qt::CaseInsensitive) == 0)
            loadNames();
}

QString PgBackend::unchangedCondition(const Values& asRead, int firstParameter) const
{
    QString where;
    int n = firstParameter;
    for (const auto& v : asRead) {
        // Texts compare exactly here, letter case included: a change of case is a change.
        const bool text = v.second.typeId() == QMetaType::QString;
        where += QStringLiteral(" AND %1%2 IS NOT DISTINCT FROM $%3")
                     .arg(quoteName(exactName(v.first)), text ? QStringLiteral(" COLLATE \"C\"") : QString())
                     .arg(n++);
    }
    return where;
}

QString PgBackend::columnList(const QStringList& columns) const
{
    QStringList names;
    for (const QString& c : columns)
        names << quoteName(exactName(c));
    return names.join(QStringLiteral(", "));
}

QString PgBackend::returning(const QStringList& columns) const
{
    return columns.isEmpty() ? QString() : QStringLiteral(" RETURNING ") + columnList(columns);
}

DbBackend::Row PgBackend::insertRow(const QString& table, const Values& values, const QStringList& readBack)
{
    QStringList names, marks;
    QVariantList parameters;
    for (const auto& v : values) {
        names << quoteName(exactName(v.first));
        marks << QLatin1Char('$') + QString::number(marks.size() + 1);
        parameters << v.second;
    }
    const QString sql = (values.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(exactName(table)))
                                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(quoteName(exactName(table)), names.join(QStringLiteral(", ")),
                                                     marks.join(QStringLiteral(", "))))
                        + returning(readBack);
    try {
        Result r = run(sql, parameters, sql);
        return toResultSet(r.p).rows.value(0);
    } catch (const AppError& e) {
        nameTooLong(e, table, QStringLiteral("a new row"), values);
    }
}

DbBackend::Row PgBackend::updateRow(const QString& table, qint64 id, const Values& values, const Values& asRead,
                                    const QStringList& readBack)
{
    if (values.isEmpty()) {
        if (readBack.isEmpty())
            return {};
        const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE \"EId\" = $1")
                                .arg(columnList(readBack), quoteName(exactName(table)));
        return toResultSet(run(sql, {id}, sql).p).rows.value(0);
    }
    QStringList sets;
    QVariantList parameters;
    for (const auto& v : values) {
        parameters << v.second;
        sets << QStringLiteral("%1 = $%2").arg(quoteName(exactName(v.first))).arg(parameters.size());
    }
    parameters << id;
    const int idParameter = int(parameters.size());
    for (const auto& v : asRead)
        parameters << v.second;
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE \"EId\" = $%3%4%5")
                            .arg(quoteName(exactName(table)), sets.join(QStringLiteral(", ")))
                            .arg(idParameter)
                            .arg(unchangedCondition(asRead, idParameter + 1), returning(readBack));
    Result r;
    try {
        r = run(sql, parameters, sql);
    } catch (const AppError& e) {
        nameTooLong(e, table, QStringLiteral("row %1").arg(id), values);
    }
    if (QByteArray(PQcmdTuples(r.p)) == "0")
        changedByAnother(table, id);
    return toResultSet(r.p).rows.value(0);
}

void PgBackend::deleteRow(const QString& table, qint64 id, const Values& asRead)
{
    QVariantList parameters{id};
    for (const auto& v : asRead)
        parameters << v.second;
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE \"EId\" = $1%2")
                            .arg(quoteName(exactName(table)), unchangedCondition(asRead, 2));
    Result r = run(sql, parameters, sql);
    if (QByteArray(PQcmdTuples(r.p)) == "0")
        changedByAnother(table, id);
}

QVector<ColumnInfo> PgBackend::tableColumns(const QString& table)
{
    if (!m_names.columns.contains(table.toLower()))
        throw AppError(DbErrors::SyntaxError, kSource, QStringLiteral("There is no table %1.").arg(table));
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE false").arg(quoteName(exactName(table)));
    Result r = run(sql, {}, sql);
    return toResultSet(r.p).columns;
}

void PgBackend::refreshCache()
{
    ensureOpen();
    loadNames();
}
