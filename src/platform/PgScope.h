#pragma once
#include "platform/PgDialect.h"

class ReadScope;

// The server's wall round a statement that carries a condition typed by the user: the
// statement is read through the program's own tokens before it is sent, and refused (AppError
// DbErrors::NoReadPermission) when it names a table outside the scope, the server's catalogue,
// a password column, a function that is not plain arithmetic or text work, a comment, a second
// statement, a union, or text written in a way the server and the program would split apart.
namespace PgScope {
void check(const QString& sql, const ReadScope& scope, const PgDialect::Names& names);
}
