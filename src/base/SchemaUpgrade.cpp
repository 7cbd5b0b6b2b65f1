#include "base/SchemaUpgrade.h"

#include "base/Schema.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"

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

void createTable(Connection& c, const char* table)
{
    c.execute(Schema::createStatement(*Schema::table(QLatin1String(table))));
}

void addColumns(Connection& c, const char* table, std::initializer_list<const char*> names)
{
    const SchemaTable& t = *Schema::table(QLatin1String(table));
    for (const char* name : names)
        for (const SchemaColumn& column : t.columns)
            if (column.name == QLatin1String(name))
                c.execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(t.name, Schema::columnDefinition(column)));
}

// Version 2: the suppression list, the bulk-mail preferences and the schema's version.
void addBulkMail(Connection& c)
{
    addColumns(c, "kaPreference",
               {"PUnsubAddr", "PReplyTo", "PRateLimit", "PImapSrvr", "PImapPort", "PImapFolder", "PTokenPasscd"});
    Schema::fillMailSettings(c);
    createTable(c, "kaSuppression");
    createTable(c, "kaVersion");
    c.backend().execute(QStringLiteral("INSERT INTO kaVersion (EDate, VNumber) VALUES (?, 1)"),
                        {DateText::toIso(state().clock.today())});
}

// Version 3: the letters' pictures in a table of their own.
void addPictures(Connection& c) { createTable(c, "kaPicture"); }

void recordVersion(Connection& c, int version)
{
    c.backend().execute(QStringLiteral("UPDATE kaVersion SET VNumber = ?"), {version});
}

void applySteps(Connection& c, int from)
{
    for (const SchemaUpgrade::Step& step : SchemaUpgrade::steps())
        if (step.version > from) {
            step.apply(c);
            recordVersion(c, step.version);
        }
}
}

namespace SchemaUpgrade {

const QVector<Step>& steps()
{
    static const QVector<Step> all{
        {2, "suppression list and bulk-mail preferences", addBulkMail},
        {3, "pictures of the letters", addPictures},
    };
    return all;
}

int currentVersion() { return steps().last().version; }

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
