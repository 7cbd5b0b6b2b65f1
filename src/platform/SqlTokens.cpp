#include "platform/SqlTokens.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace SqlTokens {

namespace {

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c.unicode() > 127; }
bool isWordChar(QChar c) { return isWordStart(c) || c.isDigit() || c == QLatin1Char('$'); }

// The text of a #...# date literal in SQLite's form, or an empty string when it is not a date.
QString dateLiteral(const QString& inner)
{
    static const QRegularExpression us(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4}|\d{2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
    static const QRegularExpression iso(QStringLiteral(
        R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    int y = 0, m = 0, d = 0;
    QString hh, mm, ss, ampm;
    QRegularExpressionMatch r = us.match(inner);
    if (r.hasMatch()) {
        m = r.captured(1).toInt();
        d = r.captured(2).toInt();
        y = r.captured(3).toInt();
        if (r.captured(3).size() == 2)
            y += y < 30 ? 2000 : 1900;
        hh = r.captured(4);
        mm = r.captured(5);
        ss = r.captured(6);
        ampm = r.captured(7);
    } else {
        r = iso.match(inner);
        if (!r.hasMatch())
            return {};
        y = r.captured(1).toInt();
        m = r.captured(2).toInt();
        d = r.captured(3).toInt();
        hh = r.captured(4);
        mm = r.captured(5);
        ss = r.captured(6);
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return {};
    QString out = date.toString(Qt::ISODate);
    if (!hh.isEmpty()) {
        int h = hh.toInt();
        if (!ampm.isEmpty()) {
            const bool pm = ampm.at(0).toUpper() == QLatin1Char('P');
            if (h < 1 || h > 12)
                return {};
            h = (h % 12) + (pm ? 12 : 0);
        }
        const QTime t(h, mm.toInt(), ss.isEmpty() ? 0 : ss.toInt());
        if (!t.isValid())
            return {};
        if (t != QTime(0, 0))
            out += QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
    }
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

}

QVector<Token> tokenize(const QString& sql, const Options& o)
{
    QVector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            out.push_back({Kind::Space, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            // A literal or quoted name; a doubled quote stays inside. Unterminated: runs to the end.
            ++i;
            while (i < n) {
                if (sql.at(i) == c) {
                    if (i + 1 < n && sql.at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({c == QLatin1Char('\'') ? Kind::Text : Kind::Identifier, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) {
                out.push_back({Kind::Punct, QString(c)});
                ++i;
            } else {
                QString name = sql.mid(i + 1, close - i - 1);
                name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
                out.push_back({Kind::Identifier, o.brackets ? QLatin1Char('"') + name + QLatin1Char('"')
                                                            : sql.mid(i, close + 1 - i)});
                i = close + 1;
            }
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = sql.indexOf(QLatin1Char('#'), i + 1);
            const QString literal = close < 0 ? QString() : dateLiteral(sql.mid(i + 1, close - i - 1));
            if (literal.isEmpty()) {
                out.push_back({Kind::Punct, QString(c)});
                ++i;
            } else {
                out.push_back({Kind::Date, o.dates ? literal : sql.mid(i, close + 1 - i)});
                i = close + 1;
            }
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
            out.push_back({Kind::Comment, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype close = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            out.push_back({Kind::Comment, sql.mid(start, i - start)});
        } else if (c.isDigit()) {
            while (i < n && (sql.at(i).isDigit() || sql.at(i) == QLatin1Char('.')))
                ++i;
            out.push_back({Kind::Number, sql.mid(start, i - start)});
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(sql.at(i)))
                ++i;
            out.push_back({Kind::Word, sql.mid(start, i - start)});
        } else {
            out.push_back({Kind::Punct, QString(c)});
            ++i;
        }
    }
    return out;
}

QString join(const QVector<Token>& tokens)
{
    QString out;
    for (const Token& t : tokens)
        out += t.text;
    return out;
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Kind::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

qsizetype nextSolid(const QVector<Token>& tokens, qsizetype i)
{
    while (i < tokens.size() && (tokens[i].kind == Kind::Space || tokens[i].kind == Kind::Comment))
        ++i;
    return i;
}

AddedColumn findAddedColumn(const QVector<Token>& tokens, qsizetype i)
{
    AddedColumn found;
    if (i >= tokens.size() || !isWord(tokens[i], "ALTER"))
        return found;
    found.form = AddedColumn::Form::OtherAlter;
    i = nextSolid(tokens, i + 1);
    if (i >= tokens.size() || !isWord(tokens[i], "TABLE"))
        return found;
    const qsizetype table = nextSolid(tokens, i + 1);
    i = nextSolid(tokens, table + 1);
    if (i >= tokens.size() || !isWord(tokens[i], "ADD"))
        return found;
    i = nextSolid(tokens, i + 1);
    if (i < tokens.size() && isWord(tokens[i], "COLUMN"))
        ++i;
    qsizetype end = i;
    while (end < tokens.size() && !isPunct(tokens[end], ";"))
        ++end;
    return {AddedColumn::Form::AddColumn, table, i, end};
}

void applyTop(QVector<Token>& tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!isWord(tokens[i], "SELECT"))
            continue;
        qsizetype j = nextSolid(tokens, i + 1);
        if (j < tokens.size() && (isWord(tokens[j], "DISTINCT") || isWord(tokens[j], "ALL")))
            j = nextSolid(tokens, j + 1);
        if (j >= tokens.size() || !isWord(tokens[j], "TOP"))
            continue;
        const qsizetype num = nextSolid(tokens, j + 1);
        if (num >= tokens.size() || tokens[num].kind != Kind::Number)
            continue;
        const QString count = tokens[num].text;
        // Drop "Top n" and the blanks after it.
        const qsizetype after = nextSolid(tokens, num + 1);
        tokens.remove(j, after - j);
        // The end of this select: its closing parenthesis, a ';' at its level, or the end.
        int depth = 0;
        qsizetype end = j;
        for (; end < tokens.size(); ++end) {
            const Token& t = tokens[end];
            if (t.kind != Kind::Punct)
                continue;
            if (t.text == QLatin1String("("))
                ++depth;
            else if (t.text == QLatin1String(")")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (t.text == QLatin1String(";") && depth == 0)
                break;
        }
        // Put LIMIT right after the last solid token of the select.
        qsizetype at = end;
        while (at > j && (tokens[at - 1].kind == Kind::Space || tokens[at - 1].kind == Kind::Comment))
            --at;
        tokens.insert(at, Token{Kind::Word, QStringLiteral(" LIMIT ") + count});
    }
}


bool isPunct(const Token& t, const char* text)
{
    return t.kind == Kind::Punct && t.text == QLatin1String(text);
}

qsizetype previousSolid(const QVector<Token>& tokens, qsizetype i)
{
    --i;
    while (i >= 0 && (tokens[i].kind == Kind::Space || tokens[i].kind == Kind::Comment))
        --i;
    return i;
}

bool hasSecondStatement(const QVector<Token>& tokens)
{
    int depth = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (isPunct(tokens[i], "("))
            ++depth;
        else if (isPunct(tokens[i], ")"))
            --depth;
        else if (depth <= 0 && isPunct(tokens[i], ";")) {
            for (qsizetype j = i + 1; j < tokens.size(); ++j)
                if (tokens[j].kind != Kind::Space)
                    return true;
            return false;
        }
    }
    return false;
}

}
