#include "base/SchemaUpgrade.h"

#include "base/Schema.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"

#include <QHash>

namespace {
const QString kSource = QStringLiteral("Database upgrade");
// The server's lock that keeps two copies from upgrading at once: "KvUp" in ASCII.
constexpr qint64 kLockKey = 0x4B765570;

bool hasTable(Connection& c, const QString& table)
{
    try {
        return !c.backend().tableColumns(table).isEmpty();
    } catch (const AppError&) {
        return false; // the server names no such table (and ran no statement)
    }
}

// What a version added, as the schema tells it: new tables, and new columns after those of
// older tables (ALTER TABLE puts them last, where a new database has them).
void addSchema(Connection& c, int version)
{
    for (const SchemaTable& t : Schema::tables()) {
        if (t.since == version) {
            c.execute(Schema::createStatement(t));
            continue;
        }
        if (t.since < version)
            for (const SchemaColumn& column : t.columns)
                if (column.since == version)
                    c.execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(t.name, Schema::columnDefinition(column)));
    }
}

// Version 2 brought bulk mail: its settings are filled from the sender's, and the schema's
// version is kept from then on.
void fillBulkMail(Connection& c)
{
    Schema::fillMailSettings(c);
    c.backend().execute(QStringLiteral("INSERT INTO kaVersion (EDate, VNumber) VALUES (?, 1)"),
                        {DateText::toIso(state().clock.today())});
}

// The rows a version's new tables and columns need, beyond what the schema tells.
const QHash<int, void (*)(Connection&)> kFills{{2, fillBulkMail}};

void recordVersion(Connection& c, int version)
{
    c.backend().execute(QStringLiteral("UPDATE kaVersion SET VNumber = ?"), {version});
}

// Each version in turn, from the one after the database's to the newest.
void applySteps(Connection& c, int from)
{
    for (int version = from + 1; version <= SchemaUpgrade::currentVersion(); ++version) {
        addSchema(c, version);
        if (const auto fill = kFills.value(version))
            fill(c);
        recordVersion(c, version);
    }
}
}

namespace SchemaUpgrade {

int currentVersion() { return Schema::newestVersion(); }

int storedVersion(Connection& c)
{
    if (!hasTable(c, QStringLiteral("kaVersion")))
        return 1;
    const ResultSet r = c.backend().query(QStringLiteral("Select Max(VNumber) From kaVersion"));
    return r.rows.isEmpty() ? 1 : std::max(1, r.rows.first().value(0).toInt());
}

int run(Connection& c)
{
    const int found = storedVersion(c);
    if (found > currentVersion())
        throw AppError(DbErrors::General, kSource,
                       QStringLiteral("The database was made by a newer version of Korvina (schema version %1; this "
                                      "program knows up to %2). Install the newer version to use it.")
                           .arg(found)
                           .arg(currentVersion()));
    if (found == currentVersion())
        return found;
    int from = found;
    c.beginTrans();
    try {
        if (c.isServer())
            c.backend().query(QStringLiteral("Select pg_advisory_xact_lock(?)"), {kLockKey});
        from = storedVersion(c); // another copy may have upgraded it meanwhile
        applySteps(c, from);
        c.commitTrans();
    } catch (const std::exception& e) {
        try {
            c.rollbackTrans();
            c.refreshCache(); // the names of the tables and columns that were not kept go
        } catch (const AppError&) {
            // The engine drops an unfinished transaction itself when the connection goes.
        }
        const QString why = QString::fromUtf8(e.what());
        throw AppError(DbErrors::General, kSource,
                       QStringLiteral("The database could not be upgraded from version %1 to version %2 and was left "
                                      "as it was: %3")
                           .arg(from)
                           .arg(currentVersion())
                           .arg(why));
    }
    return found;
}

bool runAtStartUp(Connection& c)
{
    try {
        run(c);
        return true;
    } catch (const AppError& e) {
        RecordError(e);
        Messages::current().notice(e.description());
        return false;
    }
}

}
