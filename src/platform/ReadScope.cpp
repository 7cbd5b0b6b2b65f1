#include "platform/ReadScope.h"

#include "platform/AppError.h"
#include "platform/DbBackend.h"
#include "platform/SqlTokens.h"

using SqlTokens::isPunct;
using SqlTokens::isWord;
using SqlTokens::Kind;

namespace {

QString bareName(const SqlTokens::Token& t)
{
    if (t.kind == Kind::Identifier && t.text.size() >= 2)
        return t.text.mid(1, t.text.size() - 2);
    return t.text;
}

bool endsTableList(const SqlTokens::Token& t)
{
    for (const char* word : {"WHERE", "GROUP", "ORDER", "HAVING", "ON", "INNER", "LEFT", "RIGHT", "OUTER", "JOIN",
                             "UNION", "LIMIT"})
        if (isWord(t, word))
            return true;
    return isPunct(t, ")");
}

}

ReadScope::ReadScope(const QStringList& tables) : m_tables(tables), m_limited(true) {}

ReadScope ReadScope::of(const QString& statement)
{
    const QVector<SqlTokens::Token> tokens = SqlTokens::tokenize(statement);
    QStringList tables;
    enum class Place { Elsewhere, TableExpected, AfterTable } place = Place::Elsewhere;
    for (qsizetype i = SqlTokens::nextSolid(tokens, 0); i < tokens.size(); i = SqlTokens::nextSolid(tokens, i + 1)) {
        const SqlTokens::Token& t = tokens[i];
        if (isWord(t, "FROM") || isWord(t, "JOIN")) {
            place = Place::TableExpected;
        } else if (place == Place::TableExpected) {
            const bool named = t.kind == Kind::Word || t.kind == Kind::Identifier;
            if (named && !tables.contains(bareName(t), Qt::CaseInsensitive))
                tables << bareName(t);
            place = named ? Place::AfterTable : Place::Elsewhere;
        } else if (place == Place::AfterTable) {
            if (isPunct(t, ","))
                place = Place::TableExpected;
            else if (endsTableList(t))
                place = Place::Elsewhere;
        }
    }
    return ReadScope(tables);
}

bool ReadScope::allows(const QString& table) const
{
    return !m_limited || m_tables.contains(table, Qt::CaseInsensitive);
}

bool ReadScope::isPasswordColumn(const QString& column)
{
    return column.contains(QLatin1String("Passcd"), Qt::CaseInsensitive);
}

void ReadScope::checkPlain(const QString& sql) const
{
    if (!m_limited)
        return;
    for (const SqlTokens::Token& t : SqlTokens::tokenize(sql)) {
        if (t.kind == Kind::Comment)
            refuse(QStringLiteral("a comment"));
        if (isPunct(t, ";"))
            refuse(QStringLiteral("a second statement"));
    }
    // A table listed but never read from (Count(*), Exists) escapes an authorizer that watches columns.
    const ReadScope named = of(sql);
    for (const QString& table : named.tables())
        if (!allows(table))
            refuse(QStringLiteral("the table ") + table);
}

QString ReadScope::message()
{
    return QStringLiteral("The criteria may read only the records this screen lists; they were refused and "
                          "nothing was read.");
}

void ReadScope::refuse(const QString& reached)
{
    throw AppError(DbErrors::NoReadPermission, QStringLiteral("Korvina database"),
                   QStringLiteral("%1 They reach %2.").arg(message(), reached));
}

bool ReadScope::isRefusal(const AppError& error) { return error.number() == DbErrors::NoReadPermission; }

ScopedRead::ScopedRead(DbBackend& backend, const ReadScope& scope)
    : m_backend(backend), m_previous(backend.readScope())
{
    if (scope.isLimited())
        m_backend.setReadScope(scope);
}

ScopedRead::~ScopedRead() { m_backend.setReadScope(m_previous); }
