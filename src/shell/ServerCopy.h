#pragma once
#include <QStringList>

class Connection;

// Moving an office's database file to the server: every table of the file, with its rows and
// their EIds, copied into an empty server database in one transaction; the server then numbers
// new rows after the highest EId of each table. The row counts are compared table by table.
// Any failure undoes the whole copy (the server database stays empty); the file is only read.
namespace ServerCopy {
// `from`: the open file database; `to`: the open, empty server database. Returns one line per
// table, "ktCustomer: 60 rows". Errors throw AppError.
QStringList copy(Connection& from, Connection& to);
// Throws AppError when the server database already holds tables.
void checkEmpty(Connection& server);
}
