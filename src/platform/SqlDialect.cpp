#include "platform/SqlDialect.h"
#include "platform/SqlTokens.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <QVector>

using namespace SqlTokens;

namespace {

// Gives the column definition tokens[defStart, end) COLLATE NOCASE when it is a text column
// without a collation of its own; returns how many tokens were inserted.
int noCaseColumn(QVector<Token>& tokens, qsizetype defStart, qsizetype end)
{
    const qsizetype name = nextSolid(tokens, defStart);
    const qsizetype type = name < end ? nextSolid(tokens, name + 1) : end;
    bool text = false, collated = false;
    if (type < end)
        for (const char* w : {"VARCHAR", "NVARCHAR", "CHAR", "NCHAR", "TEXT", "MEMO", "LONGTEXT", "CLOB"})
            text = text || isWord(tokens[type], w);
    for (qsizetype k = defStart; k < end; ++k)
        collated = collated || isWord(tokens[k], "COLLATE");
    if (!text || collated || tokens[name].kind == Kind::Punct || isWord(tokens[name], "CONSTRAINT")
        || isWord(tokens[name], "PRIMARY") || isWord(tokens[name], "UNIQUE"))
        return 0;
    qsizetype at = end;
    while (at > defStart && (tokens[at - 1].kind == Kind::Space || tokens[at - 1].kind == Kind::Comment))
        --at;
    tokens.insert(at, Token{Kind::Word, QStringLiteral(" COLLATE NOCASE")});
    return 1;
}

// "ALTER TABLE t ADD [COLUMN] definition": the new column is made like one of CREATE TABLE.
bool applyNoCaseToAddedColumn(QVector<Token>& tokens, qsizetype i)
{
    const AddedColumn added = findAddedColumn(tokens, i);
    if (added.form == AddedColumn::Form::AddColumn)
        noCaseColumn(tokens, added.begin, added.end);
    return added.form != AddedColumn::Form::NotAlter;
}

// Text columns of a new table compare and sort without regard to case, as the program's
// statements expect ("Where CCountry = 'india'" finds "India", GROUP BY and ORDER BY agree).
void applyNoCase(QVector<Token>& tokens)
{
    qsizetype i = nextSolid(tokens, 0);
    if (applyNoCaseToAddedColumn(tokens, i))
        return;
    if (i >= tokens.size() || !isWord(tokens[i], "CREATE"))
        return;
    i = nextSolid(tokens, i + 1);
    if (i < tokens.size() && (isWord(tokens[i], "TEMP") || isWord(tokens[i], "TEMPORARY")))
        i = nextSolid(tokens, i + 1);
    if (i >= tokens.size() || !isWord(tokens[i], "TABLE"))
        return;
    // Find the column list: the first "(" after the name.
    while (i < tokens.size() && !(tokens[i].kind == Kind::Punct && tokens[i].text == QLatin1String("(")))
        ++i;
    if (i >= tokens.size())
        return;
    int depth = 1;
    qsizetype defStart = i + 1;
    for (qsizetype j = i + 1; j < tokens.size() && depth > 0; ++j) {
        const Token& t = tokens[j];
        const bool open = t.kind == Kind::Punct && t.text == QLatin1String("(");
        const bool close = t.kind == Kind::Punct && t.text == QLatin1String(")");
        const bool comma = t.kind == Kind::Punct && t.text == QLatin1String(",");
        if (open)
            ++depth;
        else if (close)
            --depth;
        if (!((comma && depth == 1) || (close && depth == 0)))
            continue;
        // tokens[defStart, j) is one column definition (or a table constraint).
        j += noCaseColumn(tokens, defStart, j);
        defStart = j + 1;
    }
}

}

namespace SqlDialect {

QString translate(const QString& sql, const Options& o)
{
    QVector<Token> tokens = tokenize(sql, o);
    if (o.top)
        applyTop(tokens);
    if (o.noCase)
        applyNoCase(tokens);
    return join(tokens);
}

QString toSqlite(const QString& sql) { return translate(sql, Options{}); }

bool isBlank(const QString& text)
{
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

bool likeMatch(const QString& text, const QString& pattern, QChar escape)
{
    const QString s = text.toCaseFolded();
    const QString p = pattern.toCaseFolded();
    const QChar esc = escape.isNull() ? QChar() : QString(escape).toCaseFolded().at(0);
    qsizetype si = 0, pi = 0;
    qsizetype starP = -1, starS = -1;
    const qsizetype sn = s.size(), pn = p.size();
    while (si < sn) {
        if (pi < pn) {
            QChar pc = p.at(pi);
            if (!esc.isNull() && pc == esc && pi + 1 < pn) {
                if (p.at(pi + 1) == s.at(si)) {
                    pi += 2;
                    ++si;
                    continue;
                }
            } else if (pc == QLatin1Char('%')) {
                starP = ++pi;
                starS = si;
                continue;
            } else if (pc == QLatin1Char('_') || pc == s.at(si)) {
                ++pi;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < pn && p.at(pi) == QLatin1Char('%'))
        ++pi;
    return pi == pn;
}

}
