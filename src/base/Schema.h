#pragma once
#include <QString>
#include <QVector>

class Connection;

// The tables of the database at its newest version, as data: column order, kinds and widths,
// and the schema version that added each. A record module's table is told by its catalogue
// entry (its fields' columns); the other tables are listed in Schema.cpp. Database creation
// builds the tables from this, and the upgrade adds what each version added.
struct SchemaColumn {
    enum Kind { Id, Number, Date, Text, Memo, Bytes };
    QString name;
    Kind kind;
    int width = 0; // Text: n; Memo: 65500; others: 0 (Bytes: a file's worth)
    QString master = {}; // Id: the table whose EId it holds (none for a row's own EId)
    int since = 1;       // the schema version that added it to its table

    static SchemaColumn text(const QString& name, int width) { return {name, Text, width}; }
    static SchemaColumn letter(const QString& name) { return text(name, 1); }
    static SchemaColumn id(const QString& name, const QString& master = {}) { return {name, Id, 0, master}; }
    static SchemaColumn number(const QString& name) { return {name, Number, 0}; }
    static SchemaColumn date(const QString& name) { return {name, Date, 0}; }
    static SchemaColumn memo(const QString& name) { return {name, Memo, 65500}; }
    static SchemaColumn bytes(const QString& name) { return {name, Bytes, 0}; }
    SchemaColumn addedIn(int version) const
    {
        SchemaColumn c = *this;
        c.since = version;
        return c;
    }
};

struct SchemaTable {
    QString name;
    QVector<SchemaColumn> columns; // EId and EDate first
    int since = 1;                 // the schema version that added the table
};

namespace Schema {
const QVector<SchemaTable>& tables();
// The newest version any table or column names.
int newestVersion();
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
