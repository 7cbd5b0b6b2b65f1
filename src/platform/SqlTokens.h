#pragma once
#include <QString>
#include <QVector>

// The program's SQL split into tokens, for the dialect translations. Joining the tokens'
// texts gives the statement back; text inside single-quoted literals is one token.
namespace SqlTokens {

enum class Kind { Space, Word, Number, Text, Identifier, Date, Comment, Punct };

struct Token {
    Kind kind;
    QString text;
};

// What tokenize() already translates: #dates# to ISO literals, [names] to "names".
struct Options {
    bool top = true, dates = true, brackets = true, noCase = true;
};

QVector<Token> tokenize(const QString& sql, const Options& options = {});
QString join(const QVector<Token>& tokens);
bool isWord(const Token& t, const char* word);
bool isPunct(const Token& t, const char* text);
// Index of the next token that is not blank or a comment, from i on; tokens.size() if none.
qsizetype nextSolid(const QVector<Token>& tokens, qsizetype i);
// Index of the last solid token before i; -1 if none.
qsizetype previousSolid(const QVector<Token>& tokens, qsizetype i);
// Where the parts of "ALTER TABLE name ADD [COLUMN] definition" stand, from the statement's
// first solid token i: no ALTER at all, an ALTER that adds no column, or the table name's token
// and the column definition's tokens [begin, end).
struct AddedColumn {
    enum class Form { NotAlter, OtherAlter, AddColumn };
    Form form = Form::NotAlter;
    qsizetype table = -1;
    qsizetype begin = 0, end = 0;
};
AddedColumn findAddedColumn(const QVector<Token>& tokens, qsizetype i);
// "Select Top n ..." -> "Select ... LIMIT n" at the end of that select.
void applyTop(QVector<Token>& tokens);
// True when something other than blanks follows the first ';' at the outermost level.
bool hasSecondStatement(const QVector<Token>& tokens);
}
