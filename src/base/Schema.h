#pragma once
#include <QString>
#include <QVector>

class Connection;

// The tables of the database at its newest version, as data: column order, kinds and widths.
// Database creation builds the tables from this, and the screens' box widths agree with it.
struct SchemaColumn {
    enum Kind { Id, Number, Date, Text, Memo, Bytes };
    QString name;
    Kind kind;
    int width = 0; // Text: n; Memo: 65500; others: 0 (Bytes: a file's worth)
    QString master = {}; // Id: the table whose EId it holds (none for a row's own EId)
};

struct SchemaTable {
    QString name;
    QVector<SchemaColumn> columns; // EId and EDate first
};

namespace Schema {
const QVector<SchemaTable>& tables();
const SchemaTable* table(const QString& name);
// The statement that creates a table on the embedded engine ("CREATE TABLE ...").
QString createStatement(const SchemaTable& table);
// One column as CREATE TABLE and ALTER TABLE ... ADD write it ("PReplyTo VARCHAR(50)").
QString columnDefinition(const SchemaColumn& column);

// Creates the tables and the required rows (enterprise, preferences, customize, user 1
// "Chief", the schema's version) on an open, empty database.
void createTables(Connection& connection);
void insertRequiredRows(Connection& connection);
// The bulk-mail settings of the one kaPreference row: unsubscribe and reply address taken from
// the sender, no rate limit, the mailbox on the SMTP server, and a new secret key for tokens.
void fillMailSettings(Connection& connection);
}
