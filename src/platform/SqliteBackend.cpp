#include "platform/SqliteBackend.h"

#include "platform/DateText.h"

#include "platform/AppError.h"
#include "platform/RowCursor.h"
#include "platform/SqlDialect.h"

#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const QString kSource = QStringLiteral("Korvina database");

// The error number of the engine's last failure: a full disk, a damaged file and a folder that
// cannot be written have numbers of their own, so that callers can say which it was.
int errorNumber(sqlite3* db, int fallback)
{
    if (!db)
        return fallback;
    int code = sqlite3_errcode(db) & 0xff;
    // A failure inside a function (sqlcipher_export) keeps only the engine's words for it.
    if (code == SQLITE_ERROR)
        for (const int words : {SQLITE_FULL, SQLITE_NOTADB, SQLITE_CORRUPT})
            if (std::strcmp(sqlite3_errmsg(db), sqlite3_errstr(words)) == 0)
                code = words;
    if (code == SQLITE_IOERR || code == SQLITE_CANTOPEN || code == SQLITE_FULL || code == SQLITE_READONLY) {
        const int system = sqlite3_system_errno(db);
        if (system == ENOSPC || system == EDQUOT)
            return DbErrors::DiskFull;
        if (system == EROFS || system == EACCES || system == EPERM)
            return DbErrors::NoPermission;
    }
    switch (code) {
    case SQLITE_FULL: return DbErrors::DiskFull;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return DbErrors::Damaged;
    case SQLITE_READONLY: return DbErrors::NoPermission;
    default: return fallback;
    }
}

// Finalizes a statement when it goes out of scope.
struct Statement {
    sqlite3_stmt* p = nullptr;
    explicit Statement(sqlite3_stmt* s) : p(s) {}
    ~Statement() { sqlite3_finalize(p); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    operator sqlite3_stmt*() const { return p; }
};

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString columnText(sqlite3_stmt* st, int i)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return QString::fromUtf8(text, sqlite3_column_bytes(st, i));
}

QString fromC(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

// A date column's stored text as a date or a date and time; other text is left as it is.
QVariant dateValue(const char* text, int size)
{
    if (size == 0)
        return {};
    const QVariant value = DateText::fromStored(text, size, DateText::Midnight::IsDateTime);
    return value.isNull() ? QVariant(QString::fromUtf8(text, size)) : value;
}

// The value of column i of the current row, as the column's type code wants it.
QVariant readValue(sqlite3_stmt* st, int i, int type)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        if (type == FieldType::Double)
            return sqlite3_column_double(st, i);
        return qlonglong(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, i);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i));
    default: {
        if (type == FieldType::Date)
            return dateValue(reinterpret_cast<const char*>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
        const QString text = columnText(st, i);
        if ((type == FieldType::Integer || type == FieldType::Double) && text.trimmed().isEmpty())
            return {};
        return text;
    }
    }
}

// The result columns of a prepared statement; typed[i] is false for a column without a
// declared type the program knows (it is read as text).
QVector<ColumnInfo> statementColumns(sqlite3_stmt* st, QVector<bool>& typed)
{
    const int n = sqlite3_column_count(st);
    QVector<ColumnInfo> columns(n);
    typed.fill(false, n);
    for (int i = 0; i < n; ++i) {
        ColumnInfo& c = columns[i];
        c.name = fromC(sqlite3_column_name(st, i));
        c.baseTable = fromC(sqlite3_column_table_name(st, i));
        c.baseColumn = fromC(sqlite3_column_origin_name(st, i));
        typed[i] = SqliteBackend::mapDeclaredType(fromC(sqlite3_column_decltype(st, i)), c.type, c.definedSize);
        if (!typed[i]) {
            c.type = FieldType::VarChar;
            c.definedSize = 255;
        }
    }
    return columns;
}

// Steps through a statement's rows. A field's text is taken as SQLite holds it wherever that is
// already the text a record set would show (text and whole numbers); dates, doubles and the
// rest go through the value as a record set reads it, dates remembered per column.
class SqliteCursor : public RowCursor {
public:
    SqliteCursor(sqlite3* db, sqlite3_stmt* st, const QString& sql) : m_db(db), m_st(st), m_sql(sql)
    {
        QVector<bool> typed;
        m_columns = statementColumns(st, typed);
        m_readAs.resize(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            m_readAs[i] = typed[i] ? m_columns[i].type : FieldType::VarChar;
        m_text.resize(m_columns.size());
        m_dates.resize(m_columns.size());
    }

    const QVector<ColumnInfo>& columns() const override { return m_columns; }

    bool next() override
    {
        if (m_done)
            return false;
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW)
            return true;
        m_done = true;
        if (rc != SQLITE_DONE)
            throw AppError(errorNumber(m_db, DbErrors::General), kSource,
                           fromC(sqlite3_errmsg(m_db)) + QStringLiteral(" in statement: ") + m_sql);
        return false;
    }

    QByteArrayView text(int i) override
    {
        const int readAs = m_readAs[i];
        switch (sqlite3_column_type(m_st, i)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            if (readAs != FieldType::Double)
                return stored(i);
            break;
        case SQLITE_TEXT:
            if (readAs == FieldType::Date)
                return date(i);
            if (readAs != FieldType::Integer && readAs != FieldType::Double)
                return stored(i);
            break;
        default:
            break;
        }
        m_text[i] = fieldText(readValue(m_st, i, readAs)).toUtf8();
        return m_text[i];
    }

private:
    static constexpr int kDatesKept = 4096;

    QByteArrayView stored(int i)
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_st, i));
        return QByteArrayView(text, sqlite3_column_bytes(m_st, i));
    }

    QByteArrayView date(int i)
    {
        const QByteArrayView key = stored(i);
        QHash<QByteArray, QByteArray>& known = m_dates[i];
        auto found = known.constFind(key.toByteArray());
        if (found == known.constEnd()) {
            if (known.size() >= kDatesKept)
                known.clear();
            found = known.insert(key.toByteArray(), fieldText(readValue(m_st, i, FieldType::Date)).toUtf8());
        }
        return found.value();
    }

    sqlite3* m_db;
    Statement m_st;
    QString m_sql;
    QVector<ColumnInfo> m_columns;
    QVector<int> m_readAs;
    QVector<QByteArray> m_text;
    QVector<QHash<QByteArray, QByteArray>> m_dates;
    bool m_done = false;
};

void bindValue(sqlite3_stmt* st, int i, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(st, i);
        return;
    }
    auto bindText = [&](const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(st, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    if (isIntegralValue(v)) {
        sqlite3_bind_int64(st, i, v.toLongLong());
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(st, i, v.toDouble());
        break;
    case QMetaType::QDate: {
        // An import binds a date a row: written here, without a formatter.
        const QDate date = v.toDate();
        if (date.year() < 1 || date.year() > 9999) {
            bindText(date.toString(Qt::ISODate));
            break;
        }
        char iso[16];
        const int size = std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", date.year(), date.month(), date.day());
        sqlite3_bind_text(st, i, iso, size, SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        bindText(dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                          : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        break;
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        sqlite3_bind_blob(st, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        bindText(v.toString());
    }
}

// The NOCASE collation of the text columns, in people's order: "Élodie" among the E's, letter
// case aside, by the rules of the user's language. Texts that the language holds equal keep
// SQLite's own NOCASE order between them, so that "=" and GROUP BY match as they always did.
QCollator* textCollator()
{
    QLocale locale;
    if (locale.language() == QLocale::C) // the C locale sorts by code point: use the common rules
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    auto* collator = new QCollator(locale);
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

int textCollation(void* collator, int leftLength, const void* left, int rightLength, const void* right)
{
    const int order = static_cast<QCollator*>(collator)->compare(
        QString::fromUtf8(static_cast<const char*>(left), leftLength),
        QString::fromUtf8(static_cast<const char*>(right), rightLength));
    if (order != 0)
        return order;
    const int common = sqlite3_strnicmp(static_cast<const char*>(left), static_cast<const char*>(right),
                                        std::min(leftLength, rightLength));
    return common != 0 ? common : leftLength - rightLength;
}

// like(pattern, text [, escape]): LIKE that ignores case for every alphabet, not only ASCII.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    auto text = [&](int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[i])),
                                 sqlite3_value_bytes(argv[i]));
    };
    QChar escape;
    if (argc == 3) {
        const QString e = text(2);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    sqlite3_result_int(ctx, SqlDialect::likeMatch(text(1), text(0), escape) ? 1 : 0);
}

}

SqliteBackend::~SqliteBackend()
{
    try {
        close();
    } catch (...) {
    }
}

bool SqliteBackend::mapDeclaredType(const QString& declared, int& type, int& definedSize)
{
    const QString d = declared.trimmed().toUpper();
    if (d.isEmpty())
        return false;
    static const QRegularExpression sized(QStringLiteral(R"(^([A-Z ]+?)\s*\(\s*(\d+)\s*(?:,\s*\d+\s*)?\)$)"));
    QString base = d;
    int size = -1;
    if (const QRegularExpressionMatch m = sized.match(d); m.hasMatch()) {
        base = m.captured(1).trimmed();
        size = m.captured(2).toInt();
    }
    if (base == QLatin1String("VARCHAR") || base == QLatin1String("NVARCHAR") || base == QLatin1String("CHAR")
        || base == QLatin1String("NCHAR") || base == QLatin1String("CHARACTER VARYING")
        || base == QLatin1String("CHARACTER") || (base == QLatin1String("TEXT") && size >= 0)) {
        type = FieldType::VarChar;
        definedSize = size >= 0 ? size : 255;
        return true;
    }
    if (base == QLatin1String("MEMO") || base == QLatin1String("TEXT") || base == QLatin1String("LONGTEXT")
        || base == QLatin1String("CLOB")) {
        type = FieldType::Memo;
        definedSize = 65500;
        return true;
    }
    if (base.contains(QLatin1String("INT")) || base == QLatin1String("COUNTER") || base == QLatin1String("LONG")) {
        type = FieldType::Integer;
        definedSize = 4;
        return true;
    }
    if (base == QLatin1String("REAL") || base.startsWith(QLatin1String("DOUBLE")) || base == QLatin1String("FLOAT")
        || base == QLatin1String("NUMERIC") || base == QLatin1String("DECIMAL") || base == QLatin1String("CURRENCY")) {
        type = FieldType::Double;
        definedSize = 8;
        return true;
    }
    if (base == QLatin1String("BLOB")) {
        type = FieldType::Binary;
        definedSize = 0;
        return true;
    }
    if (base == QLatin1String("DATETIME") || base == QLatin1String("DATE") || base == QLatin1String("TIMESTAMP")
        || base == QLatin1String("TIME")) {
        type = FieldType::Date;
        definedSize = 8;
        return true;
    }
    return false;
}

void SqliteBackend::open(const ConnectionParams& params) { openFile(params, true); }

void SqliteBackend::openWithoutLock(const ConnectionParams& params) { openFile(params, false); }

void SqliteBackend::openFile(const ConnectionParams& params, bool withLock)
{
    close();
    const QString path = params.dataSource;
    if (path.isEmpty())
        throw AppError(DbErrors::CannotOpen, kSource, QStringLiteral("No database file was named."));
    // ":memory:" is a private database that lives while it is open (a worksheet read for import).
    const bool inMemory = path == QLatin1String(":memory:");
    if (inMemory)
        withLock = false;
    else if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        throw AppError(DbErrors::CannotOpen, kSource,
                       QStringLiteral("The folder of the database file %1 does not exist.").arg(path));
    if (withLock)
        m_lock.acquire(LockFile::pathFor(path));
    sqlite3* db = nullptr;
    auto give_up = [&](const QString& description) {
        const int number = errorNumber(db, DbErrors::CannotOpen);
        if (db)
            sqlite3_close_v2(db);
        m_lock.release();
        throw AppError(number, kSource, description);
    };
    const QByteArray file = QFile::encodeName(path);
    int rc = sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK)
        give_up(QStringLiteral("Cannot open the database file %1: %2")
                    .arg(path, db ? fromC(sqlite3_errmsg(db)) : fromC(sqlite3_errstr(rc))));
    if (!params.password.isEmpty()) {
        const QByteArray key = params.password.toUtf8();
        if (sqlite3_key(db, key.constData(), int(key.size())) != SQLITE_OK)
            give_up(QStringLiteral("Cannot set the password of %1.").arg(path));
    }
    // The key is only checked when the first page is read.
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        give_up(QStringLiteral("Not a valid password, or not a Korvina database: %1").arg(path));
    sqlite3_busy_timeout(db, 10000);
    // Every commit reaches the disk before the call returns: a saved record survives a power cut.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=OFF"})
        if (sqlite3_exec(db, pragma, nullptr, nullptr, nullptr) != SQLITE_OK)
            give_up(QStringLiteral("Cannot prepare the database file %1: %2").arg(path, fromC(sqlite3_errmsg(db))));
    for (int args : {2, 3})
        sqlite3_create_function_v2(db, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                                   nullptr, nullptr, nullptr);
    QCollator* collator = textCollator();
    if (sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, collator, textCollation,
                                    [](void* c) { delete static_cast<QCollator*>(c); })
        != SQLITE_OK) {
        delete collator;
        give_up(QStringLiteral("Cannot prepare the database file %1: %2").arg(path, fromC(sqlite3_errmsg(db))));
    }
    // Installed once: changing an authorizer expires the prepared statements, which would then be
    // prepared again without it.
    sqlite3_set_authorizer(db, authorize, this);
    m_db = db;
    m_path = path;
    m_depth = 0;
}

void SqliteBackend::close()
{
    if (!m_db)
        return;
    // The program never rolls back: what it began is kept.
    if (m_depth > 0)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    m_depth = 0;
    for (sqlite3_stmt** kept : {&m_begin, &m_commit}) {
        sqlite3_finalize(*kept);
        *kept = nullptr;
    }
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
    m_lock.release();
}

void SqliteBackend::ensureOpen() const
{
    if (!m_db)
        throw AppError(DbErrors::NotOpen, kSource, QStringLiteral("Operation is not allowed when the connection is closed."));
}

void SqliteBackend::fail(int number, const QString& what, const QString& sql) const
{
    QString description = what;
    if (!sql.isEmpty())
        description += QStringLiteral(" in statement: ") + sql;
    throw AppError(number == DbErrors::General ? errorNumber(m_db, number) : number, kSource, description);
}

int SqliteBackend::authorize(void* data, int action, const char* first, const char* second, const char*, const char*)
{
    auto* self = static_cast<SqliteBackend*>(data);
    const ReadScope& scope = self->readScope();
    if (!scope.isLimited())
        return SQLITE_OK;
    const QString name = QString::fromUtf8(action == SQLITE_READ ? first : second);
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_READ:
        if (!scope.allows(name)) {
            self->m_refused = QStringLiteral("the table ") + name;
            return SQLITE_DENY;
        }
        // A password column of a table the screen reads is read as null.
        return second && ReadScope::isPasswordColumn(QString::fromUtf8(second)) ? SQLITE_IGNORE : SQLITE_OK;
    case SQLITE_FUNCTION:
        for (const char* banned : {"sqlcipher", "load_extension", "readfile", "writefile", "fts3_tokenizer"})
            if (name.startsWith(QLatin1String(banned), Qt::CaseInsensitive)) {
                self->m_refused = QStringLiteral("the function ") + name;
                return SQLITE_DENY;
            }
        return SQLITE_OK;
    default:
        self->m_refused = QStringLiteral("more than reading");
        return SQLITE_DENY;
    }
}

sqlite3_stmt* SqliteBackend::prepareOne(const QString& sqliteSql, const QString& original)
{
    ensureOpen();
    const QByteArray utf8 = sqliteSql.toUtf8();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    readScope().checkPlain(original);
    m_refused.clear();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &st, &tail) != SQLITE_OK) {
        sqlite3_finalize(st);
        if (!m_refused.isEmpty())
            ReadScope::refuse(m_refused);
        fail(DbErrors::SyntaxError, fromC(sqlite3_errmsg(m_db)), original);
    }
    if (!st)
        fail(DbErrors::SyntaxError, QStringLiteral("The statement is empty"), original);
    const qsizetype used = tail ? tail - utf8.constData() : utf8.size();
    if (!SqlDialect::isBlank(QString::fromUtf8(utf8.constData() + used, utf8.size() - used))) {
        sqlite3_finalize(st);
        fail(DbErrors::ExtraStatement, QStringLiteral("Characters found after end of SQL statement"), original);
    }
    return st;
}

void SqliteBackend::stepToEnd(sqlite3_stmt* st, const QString& original)
{
    for (;;) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            return;
        if (rc != SQLITE_ROW)
            fail(DbErrors::General, fromC(sqlite3_errmsg(m_db)), original);
    }
}

// An import begins and commits once a row: both statements are prepared once. Under a read
// scope they are prepared afresh, so that the scope refuses them as any other write.
void SqliteBackend::runKept(sqlite3_stmt*& kept, const char* sql)
{
    ensureOpen();
    if (readScope().isLimited()) {
        executeNative(QString::fromLatin1(sql));
        return;
    }
    if (!kept)
        kept = prepareOne(QString::fromLatin1(sql), QString::fromLatin1(sql));
    struct Reset {
        sqlite3_stmt* st;
        ~Reset() { sqlite3_reset(st); }
    } reset{kept};
    if (sqlite3_step(kept) != SQLITE_DONE)
        fail(DbErrors::General, fromC(sqlite3_errmsg(m_db)), QString::fromLatin1(sql));
}

void SqliteBackend::begin()
{
    ensureOpen();
    if (m_depth == 0)
        runKept(m_begin, "BEGIN IMMEDIATE");
    ++m_depth;
}

void SqliteBackend::commit()
{
    ensureOpen();
    if (m_depth == 0)
        throw AppError(DbErrors::General, kSource, QStringLiteral("No transaction is active."));
    if (--m_depth == 0) {
        try {
            runKept(m_commit, "COMMIT");
        } catch (...) {
            m_depth = 1; // still open: a later commit tries again
            throw;
        }
    }
}

void SqliteBackend::rollback()
{
    ensureOpen();
    if (m_depth == 0)
        return;
    m_depth = 0;
    executeNative(QStringLiteral("ROLLBACK"));
}

ResultSet SqliteBackend::query(const QString& sql, const QVariantList& parameters)
{
    Statement st(prepareOne(SqlDialect::toSqlite(sql), sql));
    for (int i = 0; i < parameters.size(); ++i)
        bindValue(st, i + 1, parameters[i]);
    ResultSet result;
    const int n = sqlite3_column_count(st);
    QVector<bool> typed;
    result.columns = statementColumns(st, typed);
    // Columns without a declared type (Count(*), expressions) take the type of their first value.
    QVector<bool> settled = typed;
    int unsettled = int(typed.count(false));
    for (;;) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            fail(DbErrors::General, fromC(sqlite3_errmsg(m_db)), sql);
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i) {
            if (unsettled && !settled[i]) {
                switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER:
                    result.columns[i].type = FieldType::Integer;
                    result.columns[i].definedSize = 4;
                    break;
                case SQLITE_FLOAT:
                    result.columns[i].type = FieldType::Double;
                    result.columns[i].definedSize = 8;
                    break;
                default:
                    break;
                }
                if (sqlite3_column_type(st, i) != SQLITE_NULL) {
                    settled[i] = true;
                    --unsettled;
                }
            }
            row[i] = readValue(st, i, typed[i] ? result.columns[i].type : FieldType::VarChar);
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

std::unique_ptr<RowCursor> SqliteBackend::openCursor(const QString& sql)
{
    return std::make_unique<SqliteCursor>(m_db, prepareOne(SqlDialect::toSqlite(sql), sql), sql);
}

void SqliteBackend::execute(const QString& sql, const QVariantList& parameters)
{
    Statement st(prepareOne(SqlDialect::toSqlite(sql), sql));
    for (int i = 0; i < parameters.size(); ++i)
        bindValue(st, i + 1, parameters[i]);
    stepToEnd(st, sql);
}

void SqliteBackend::executeNative(const QString& sql)
{
    Statement st(prepareOne(sql, sql));
    stepToEnd(st, sql);
}

DbBackend::Row SqliteBackend::storedRow(const QString& table, qint64 id, const QStringList& columns)
{
    if (columns.isEmpty())
        return {};
    return query(QStringLiteral("SELECT %1 FROM %2 WHERE EId = ?").arg(columns.join(QStringLiteral(", ")), table), {id})
        .rows.value(0);
}

namespace {

QString insertStatement(const QString& table, const QStringList& columns)
{
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table));
    QStringList names;
    for (const QString& column : columns)
        names << quoteName(column);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoteName(table), names.join(QStringLiteral(", ")),
             QStringLiteral("?, ").repeated(columns.size() - 1) + QLatin1Char('?'));
}

}

// One statement stepped for every row and reset for the next.
class SqliteBackend::Inserter : public RowInserter {
public:
    Inserter(SqliteBackend& backend, const QString& sql) : m_backend(backend), m_sql(sql), m_st(backend.prepareOne(sql, sql)) {}

    void insert(const QVector<QVariant>& values) override
    {
        m_backend.ensureOpen();
        for (int i = 0; i < values.size(); ++i)
            bindValue(m_st, i + 1, values[i]);
        // Reset after the error is read, so that the next row starts afresh.
        struct Reset {
            sqlite3_stmt* st;
            ~Reset() { sqlite3_reset(st); }
        } reset{m_st};
        if (sqlite3_step(m_st) != SQLITE_DONE)
            m_backend.fail(DbErrors::General, fromC(sqlite3_errmsg(m_backend.m_db)), m_sql);
    }

private:
    SqliteBackend& m_backend;
    QString m_sql;
    Statement m_st;
};

std::unique_ptr<RowInserter> SqliteBackend::prepareInsert(const QString& table, const QStringList& columns)
{
    return std::make_unique<Inserter>(*this, insertStatement(table, columns));
}

DbBackend::Row SqliteBackend::insertRow(const QString& table, const Values& values, const QStringList& readBack)
{
    QStringList columns;
    for (const auto& v : values)
        columns << v.first;
    const QString sql = insertStatement(table, columns);
    Statement st(prepareOne(sql, sql));
    for (int i = 0; i < values.size(); ++i)
        bindValue(st, i + 1, values[i].second);
    stepToEnd(st, sql);
    return storedRow(table, sqlite3_last_insert_rowid(m_db), readBack);
}

// " AND column IS ?" for each column as read; texts compare exactly, letter case included.
QString SqliteBackend::unchangedCondition(const Values& asRead)
{
    QString where;
    for (const auto& v : asRead)
        where += QStringLiteral(" AND ") + quoteName(v.first) + QStringLiteral(" IS ? COLLATE BINARY");
    return where;
}

DbBackend::Row SqliteBackend::updateRow(const QString& table, qint64 id, const Values& values, const Values& asRead,
                                        const QStringList& readBack)
{
    if (values.isEmpty())
        return storedRow(table, id, readBack);
    QStringList sets;
    for (const auto& v : values)
        sets << quoteName(v.first) + QStringLiteral(" = ?");
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE EId = ?%3")
                            .arg(quoteName(table), sets.join(QStringLiteral(", ")), unchangedCondition(asRead));
    Statement st(prepareOne(sql, sql));
    int i = 1;
    for (const auto& v : values)
        bindValue(st, i++, v.second);
    sqlite3_bind_int64(st, i++, id);
    for (const auto& v : asRead)
        bindValue(st, i++, v.second);
    stepToEnd(st, sql);
    if (sqlite3_changes(m_db) == 0)
        changedByAnother(table, id);
    return storedRow(table, id, readBack);
}

void SqliteBackend::deleteRow(const QString& table, qint64 id, const Values& asRead)
{
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE EId = ?%2").arg(quoteName(table), unchangedCondition(asRead));
    Statement st(prepareOne(sql, sql));
    int i = 1;
    sqlite3_bind_int64(st, i++, id);
    for (const auto& v : asRead)
        bindValue(st, i++, v.second);
    stepToEnd(st, sql);
    if (sqlite3_changes(m_db) == 0)
        changedByAnother(table, id);
}

QVector<ColumnInfo> SqliteBackend::tableColumns(const QString& table)
{
    const QString sql = QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table));
    Statement st(prepareOne(sql, sql));
    QVector<ColumnInfo> columns;
    for (;;) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            fail(DbErrors::General, fromC(sqlite3_errmsg(m_db)), sql);
        ColumnInfo c;
        c.name = columnText(st, 1);
        c.baseTable = table;
        c.baseColumn = c.name;
        if (!mapDeclaredType(columnText(st, 2), c.type, c.definedSize)) {
            c.type = FieldType::VarChar;
            c.definedSize = 255;
        }
        columns.push_back(c);
    }
    if (columns.isEmpty())
        throw AppError(DbErrors::SyntaxError, kSource, QStringLiteral("There is no table %1.").arg(table));
    return columns;
}

void SqliteBackend::refreshCache()
{
    ensureOpen();
    // Best effort: a checkpoint that cannot run now runs later.
    sqlite3_exec(m_db, "PRAGMA wal_checkpoint(PASSIVE)", nullptr, nullptr, nullptr);
}

// In WAL mode a commit with synchronous=NORMAL is safe against a crash of the program, and
// only the last ones can be lost with the machine's power; the checkpoint at the end then
// puts everything on the disk. Meanwhile the file is held alone (no lock taken and given back
// per transaction; the lock file keeps other programs out anyway), and the journal is copied
// into the file every 10,000 pages instead of every 1,000, each copy being a flush.
void SqliteBackend::beginBulkWrites()
{
    ensureOpen();
    for (const char* pragma : {"PRAGMA synchronous=NORMAL", "PRAGMA locking_mode=EXCLUSIVE", "PRAGMA wal_autocheckpoint=10000"})
        executeNative(QString::fromLatin1(pragma));
}

void SqliteBackend::endBulkWrites()
{
    ensureOpen();
    for (const char* pragma : {"PRAGMA synchronous=FULL", "PRAGMA locking_mode=NORMAL", "PRAGMA wal_autocheckpoint=1000"})
        executeNative(QString::fromLatin1(pragma));
    // A transaction's end gives the file's lock back to others (an open one gives it back
    // when it commits).
    if (m_depth == 0) {
        runKept(m_begin, "BEGIN IMMEDIATE");
        runKept(m_commit, "COMMIT");
    }
    if (sqlite3_exec(m_db, "PRAGMA wal_checkpoint(FULL)", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(DbErrors::General, QStringLiteral("Cannot write the imported rows to the file"), QStringLiteral("PRAGMA wal_checkpoint(FULL)"));
}
