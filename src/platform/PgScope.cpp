#include "platform/PgScope.h"

#include "platform/ReadScope.h"
#include "platform/SqlTokens.h"

#include <QSet>

using SqlTokens::isPunct;
using SqlTokens::isWord;
using SqlTokens::Kind;
using SqlTokens::Token;

namespace {

// Words that open a parenthesis without calling anything.
bool isKeyword(const QString& lower)
{
    static const QSet<QString> words{
        QStringLiteral("and"),  QStringLiteral("or"),    QStringLiteral("not"),     QStringLiteral("in"),
        QStringLiteral("exists"), QStringLiteral("as"),  QStringLiteral("from"),    QStringLiteral("where"),
        QStringLiteral("on"),   QStringLiteral("select"), QStringLiteral("between"), QStringLiteral("when"),
        QStringLiteral("then"), QStringLiteral("else"),  QStringLiteral("like"),    QStringLiteral("is"),
        QStringLiteral("join"), QStringLiteral("by"),    QStringLiteral("having"),  QStringLiteral("case")};
    return words.contains(lower);
}

// The functions a condition or a screen's statement may call: they only compute.
bool isPlainFunction(const QString& lower)
{
    static const QSet<QString> functions{
        QStringLiteral("count"), QStringLiteral("sum"),   QStringLiteral("min"),    QStringLiteral("max"),
        QStringLiteral("avg"),   QStringLiteral("lower"), QStringLiteral("upper"),  QStringLiteral("length"),
        QStringLiteral("trim"),  QStringLiteral("ltrim"), QStringLiteral("rtrim"),  QStringLiteral("abs"),
        QStringLiteral("round"), QStringLiteral("left"),  QStringLiteral("right"),  QStringLiteral("substr"),
        QStringLiteral("coalesce"), QStringLiteral("nullif"), QStringLiteral("cast")};
    return functions.contains(lower);
}

QString bareName(const Token& t)
{
    const QString text = t.kind == Kind::Identifier && t.text.size() >= 2 ? t.text.mid(1, t.text.size() - 2) : t.text;
    return text.toLower();
}

bool hasPasswordColumn(const QString& table, const PgDialect::Names& names)
{
    for (const QString& column : names.columns.value(table))
        if (ReadScope::isPasswordColumn(column))
            return true;
    return false;
}

class Checker {
public:
    Checker(const QVector<Token>& tokens, const ReadScope& scope, const PgDialect::Names& names)
        : m_tokens(tokens), m_scope(scope), m_names(names)
    {
        for (const QString& table : scope.tables())
            m_guarded = m_guarded || hasPasswordColumn(table.toLower(), names);
    }

    void run()
    {
        int selects = 0;
        for (qsizetype i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens[i];
            if (isPunct(t, "$") || (t.kind == Kind::Text && (t.text.contains(QLatin1Char('\\')) || glued(i))))
                ReadScope::refuse(QStringLiteral("text the server would read otherwise"));
            if (isWord(t, "SELECT") && ++selects > 1 && m_guarded)
                ReadScope::refuse(QStringLiteral("a second select"));
            if (t.kind == Kind::Word || t.kind == Kind::Identifier)
                checkName(i);
        }
    }

private:
    // A text right after a word (E'..', U&'..') is read by the server with other rules.
    bool glued(qsizetype i) const { return i > 0 && m_tokens[i - 1].kind == Kind::Word; }

    void checkName(qsizetype i) const
    {
        const Token& t = m_tokens[i];
        const QString name = bareName(t);
        if (ReadScope::isPasswordColumn(name))
            ReadScope::refuse(QStringLiteral("a password column"));
        if (t.kind == Kind::Word)
            for (const char* word : {"UNION", "INTERSECT", "EXCEPT", "WITH", "INTO"})
                if (isWord(t, word))
                    ReadScope::refuse(QStringLiteral("a ") + name.toUpper());
        if (name.startsWith(QLatin1String("pg_")) || name == QLatin1String("information_schema"))
            ReadScope::refuse(QStringLiteral("the server's catalogue"));
        const qsizetype next = SqlTokens::nextSolid(m_tokens, i + 1);
        const bool call = next < m_tokens.size() && isPunct(m_tokens[next], "(");
        if (call && !(t.kind == Kind::Word && isKeyword(name)) && !isPlainFunction(name))
            ReadScope::refuse(QStringLiteral("the function ") + t.text);
        if (!m_names.columns.contains(name))
            return;
        if (!m_scope.allows(name))
            ReadScope::refuse(QStringLiteral("the table ") + t.text);
        // A table's name alone stands for its whole record, password included.
        const qsizetype before = SqlTokens::previousSolid(m_tokens, i);
        const bool listed = before >= 0 && (isWord(m_tokens[before], "FROM") || isWord(m_tokens[before], "JOIN"));
        const bool qualifies = next < m_tokens.size() && isPunct(m_tokens[next], ".");
        if (m_guarded && !listed && !qualifies)
            ReadScope::refuse(QStringLiteral("a whole record of ") + t.text);
    }

    const QVector<Token>& m_tokens;
    const ReadScope& m_scope;
    const PgDialect::Names& m_names;
    bool m_guarded = false; // a table of the scope holds a password column
};

}

namespace PgScope {

void check(const QString& sql, const ReadScope& scope, const PgDialect::Names& names)
{
    if (!scope.isLimited())
        return;
    scope.checkPlain(sql);
    Checker(SqlTokens::tokenize(sql), scope, names).run();
}

}
