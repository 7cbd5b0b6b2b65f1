// The database file itself: encrypted with its password, compacted into a new encrypted
// file, guarded by the lock file, and transactions that nest.
#include "common/TestSupport.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DbBackend.h"
#include "platform/LockFile.h"
#include "platform/Recordset.h"
#include "shell/ProgramState.h"

#include <QFile>
#include <QtTest>

namespace {

const QString kSecret = QStringLiteral("Quixotic-Zebedee");

QString withSource(const QString& connectionString, const QString& file, const QString& password = {})
{
    QStringList parts;
    for (const QString& part : connectionString.split(QLatin1Char(';'))) {
        if (part.startsWith(QLatin1String("Data Source="), Qt::CaseInsensitive))
            parts << QStringLiteral("Data Source=") + file;
        else if (!password.isNull() && part.startsWith(QLatin1String("Jet OLEDB:Database Password="), Qt::CaseInsensitive))
            parts << QStringLiteral("Jet OLEDB:Database Password=") + password;
        else
            parts << part;
    }
    return parts.join(QLatin1Char(';'));
}

int errorOfOpen(const QString& connectionString)
{
    Connection c;
    c.setConnectionString(connectionString);
    try {
        c.open();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

QStringList rows(Connection& c, const QString& sql)
{
    Recordset rs;
    rs.open(sql, c, CursorType::Static, LockType::ReadOnly);
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells << rs.field(i).text();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

}

class TstDatabaseFile : public QObject {
    Q_OBJECT
private slots:
    void fileIsEncrypted();
    void compactionKeepsRowsAndPassword();
    void lockFileWhileOpen();
    void transactionsNest();
};

void TstDatabaseFile::fileIsEncrypted()
{
    TestDataFolder folder;
    Connection& c = *state().connection;
    const QString cs = c.connectionString();
    c.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CRemarks) VALUES (#1/2/2024#, '%1', 'r')").arg(kSecret));
    c.close();

    QFile file(folder.databasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 1024);
    QVERIFY(!bytes.startsWith(QByteArray("SQLite format 3\0", 16)));
    QVERIFY(!bytes.contains(kSecret.toUtf8()));
    QVERIFY(!bytes.contains(QByteArray("ktCustomer")));
    QVERIFY(!QFile::exists(folder.databasePath() + QStringLiteral("-wal")));

    QCOMPARE(errorOfOpen(withSource(cs, folder.databasePath(), QStringLiteral("wrong1"))), DbErrors::CannotOpen);
    QCOMPARE(errorOfOpen(withSource(cs, folder.databasePath(), QStringLiteral(""))), DbErrors::CannotOpen);
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Ldb"))));
    QCOMPARE(errorOfOpen(withSource(cs, QStringLiteral("postgresql://127.0.0.1/korvina"))), DbErrors::CannotOpen);
    QCOMPARE(errorOfOpen(withSource(cs, folder.file(QStringLiteral("NoFolder/Korvina.Kys")))), DbErrors::CannotOpen);

    c.open();
    QCOMPARE(rows(c, QStringLiteral("Select CFirst From ktCustomer")), QStringList{kSecret});
}

void TstDatabaseFile::compactionKeepsRowsAndPassword()
{
    TestDataFolder folder;
    Connection& c = *state().connection;
    const QString source = c.connectionString();
    for (int i = 0; i < 30; ++i)
        c.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CType) VALUES (#1/%1/2024#, 'C%1', %1)").arg(i + 1));
    c.execute(QStringLiteral("DELETE FROM ktCustomer WHERE CType > 20"));
    const QString sql = QStringLiteral("Select * From ktCustomer ORDER BY EId");
    const QStringList before = rows(c, sql);
    const QStringList users = rows(c, QStringLiteral("Select * From kaUser"));
    const QString target = folder.file(QStringLiteral("Korvina.Cpt"));
    const QString destination = withSource(source, target);

    // Refused while this copy holds the database.
    QVERIFY(LockFile::isHeldByAnother(LockFile::pathFor(folder.databasePath())));
    QVERIFY_THROWS_EXCEPTION(AppError, Connection::compactDatabase(source, destination));
    try {
        Connection::compactDatabase(source, destination);
    } catch (const AppError& e) {
        QCOMPARE(e.number(), DbErrors::InUse);
    }
    QVERIFY(!QFile::exists(target));
    c.close();

    Connection::compactDatabase(source, destination);
    QVERIFY(QFile::exists(target));
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Ldb"))));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.read(16).startsWith("SQLite format 3"));
    file.close();
    try {
        Connection::compactDatabase(source, destination);
        QFAIL("an existing destination was overwritten");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), DbErrors::FileExists);
    }

    QCOMPARE(errorOfOpen(withSource(source, target, QStringLiteral("wrong1"))), DbErrors::CannotOpen);
    Connection copy;
    copy.setConnectionString(destination);
    copy.open();
    QCOMPARE(rows(copy, sql), before);
    QCOMPARE(rows(copy, QStringLiteral("Select * From kaUser")), users);
    // The numbering goes on after the highest EId ever given, as in the original.
    copy.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst) VALUES (#1/1/2024#, 'New')"));
    QCOMPARE(rows(copy, QStringLiteral("Select Max(EId) From ktCustomer")), QStringList{QStringLiteral("31")});
    copy.close();
}

void TstDatabaseFile::lockFileWhileOpen()
{
    TestDataFolder folder;
    const QString lock = folder.file(QStringLiteral("Korvina.Ldb"));
    QCOMPARE(LockFile::pathFor(folder.databasePath()), lock);
    Connection& first = *state().connection;
    QVERIFY(QFile::exists(lock));
    QVERIFY(LockFile::isHeldByAnother(lock));

    // A second copy shares the database; the file stays until the last one closes.
    Connection second;
    second.setConnectionString(first.connectionString());
    second.open();
    first.execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'Shared', 'r')"));
    QCOMPARE(rows(second, QStringLiteral("Select CCategory From kmCustType")), QStringList{QStringLiteral("Shared")});
    first.close();
    QVERIFY(QFile::exists(lock));
    QVERIFY(LockFile::isHeldByAnother(lock));
    second.close();
    QVERIFY(!QFile::exists(lock));
    QVERIFY(!LockFile::isHeldByAnother(lock));

    // A lock file left behind by a copy that ended without closing holds nobody.
    QFile stale(lock);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    QVERIFY(!LockFile::isHeldByAnother(lock));
    first.open();
    QVERIFY(LockFile::isHeldByAnother(lock));
    first.close();
    QVERIFY(!QFile::exists(lock));
}

void TstDatabaseFile::transactionsNest()
{
    TestDataFolder folder;
    Connection& c = *state().connection;
    Connection other;
    other.setConnectionString(c.connectionString());
    other.open();
    const QString count = QStringLiteral("Select Count(*) From kmCustType");

    c.beginTrans();
    c.beginTrans();
    c.execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'T', 'r')"));
    c.commitTrans();
    QVERIFY(c.backend().inTransaction());
    QCOMPARE(rows(other, count), QStringList{QStringLiteral("0")}); // not yet committed
    c.commitTrans();
    QVERIFY(!c.backend().inTransaction());
    QCOMPARE(rows(other, count), QStringList{QStringLiteral("1")});
    QVERIFY_THROWS_EXCEPTION(AppError, c.commitTrans());

    // What a copy began and never committed is kept when it closes: there are no roll-backs.
    other.beginTrans();
    other.execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'U', 'r')"));
    other.close();
    QCOMPARE(rows(c, count), QStringList{QStringLiteral("2")});
    c.refreshCache();
}

QTEST_MAIN(TstDatabaseFile)
#include "tst_databasefile.moc"
