#pragma once
// What the platform tests share: the program's connection, the error an action raises and
// the rows a statement gives.
#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QStringList>
#include <optional>

inline Connection& db() { return *state().connection; }

// Runs f and returns the AppError number it raised (0 when it raised none); *raised gets the error.
template <class F>
int errorOf(F&& f, std::optional<AppError>* raised = nullptr)
{
    try {
        f();
    } catch (const AppError& e) {
        if (raised)
            raised->emplace(e);
        return e.number();
    }
    return 0;
}

// Every row of a statement, its cells joined with "|".
inline QStringList rows(Connection& c, const QString& sql)
{
    Recordset rs;
    QStringList out;
    for (rs.open(sql, c, CursorType::Static, LockType::ReadOnly); !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells << rs.field(i).text();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
