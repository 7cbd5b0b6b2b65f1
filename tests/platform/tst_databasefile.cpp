// The database file itself: encrypted with its password, compacted into a new encrypted
// file, guarded by the lock file, and transactions that nest; archives sealed at rest.
#include "PlatformFixture.h"
#include "common/TestSupport.h"
#include "platform/ArchiveCipher.h"
#include "platform/LockFile.h"

#include <QFile>
#include <QtTest>

class TstDatabaseFile : public QObject {
    Q_OBJECT
private slots:
    void encryptedAndCompacted()
    {
        TestDataFolder folder;
        Connection& c = *state().connection;
        const auto source = [](const QString& file, const QString& password = state().databasePassword()) {
            return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Jet OLEDB:Database Password=%2")
                .arg(file, password);
        };
        Connection copy; // refused opens first, then the compacted file
        const auto errorOfOpen = [&](const QString& cs) { copy.setConnectionString(cs); return errorOf([&] { copy.open(); }); };
        const QString secret = QStringLiteral("Quixotic-Zebedee"), target = folder.file(QStringLiteral("Korvina.Cpt"));
        for (int i = 1; i <= 30; ++i)
            c.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CType) VALUES (#1/%1/2024#, 'C%1', %1)").arg(i));
        c.execute(QStringLiteral("UPDATE ktCustomer SET CFirst = '%1' WHERE CType = 1").arg(secret));
        c.execute(QStringLiteral("DELETE FROM ktCustomer WHERE CType > 20"));
        const QString sql = QStringLiteral("Select * From ktCustomer ORDER BY EId"), users = QStringLiteral("Select * From kaUser");
        const QStringList before = rows(c, sql), usersBefore = rows(c, users);

        // Compaction is refused while this copy holds the database, and onto an existing file.
        const auto compact = [&] { Connection::compactDatabase(c.connectionString(), source(target)); };
        QCOMPARE(errorOf(compact), DbErrors::InUse);
        QVERIFY(!QFile::exists(target));
        c.close();
        QVERIFY(!QFile::exists(folder.databasePath() + QStringLiteral("-wal")));
        compact();
        QCOMPARE(errorOf(compact), DbErrors::FileExists);

        // Neither file shows the SQLite header, a customer's name or a table's name; only its password opens it.
        for (const QString& path : {folder.databasePath(), target}) {
            const QByteArray bytes = fileContents(path);
            QVERIFY(bytes.size() > 1024 && !bytes.startsWith(QByteArray("SQLite format 3\0", 16)));
            QVERIFY(!bytes.contains(secret.toUtf8()) && !bytes.contains(QByteArray("ktCustomer")));
            // A wrong key reads like a damaged file: the engine cannot tell the two apart.
            for (const QString& password : {QStringLiteral("wrong1"), QStringLiteral("")})
                QCOMPARE(errorOfOpen(source(path, password)), DbErrors::Damaged);
            QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Ldb")))); // compaction and failed opens leave none
        }
        QCOMPARE(errorOfOpen(source(folder.file(QStringLiteral("NoFolder/Korvina.Kys")))), DbErrors::CannotOpen);

        // The copy has the same rows under the same password, and numbers on after the highest EId given.
        QCOMPARE(errorOfOpen(source(target)), 0);
        QCOMPARE(rows(copy, sql), before);
        QCOMPARE(rows(copy, users), usersBefore);
        copy.execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst) VALUES (#1/1/2024#, 'New')"));
        QCOMPARE(rows(copy, QStringLiteral("Select Max(EId) From ktCustomer")), QStringList{QStringLiteral("31")});
    }

    void lockFileAndTransactions()
    {
        TestDataFolder folder;
        const QString lock = folder.file(QStringLiteral("Korvina.Ldb"));
        Connection& first = *state().connection;
        QVERIFY(QFile::exists(lock) && LockFile::isHeldByAnother(lock));

        // A second copy shares the database, and sees only what the outermost commit of a nest wrote.
        Connection second;
        second.setConnectionString(first.connectionString());
        second.open();
        const auto count = [&](Connection& on) { return rows(on, QStringLiteral("Select Count(*) From kmCustType")).value(0); };
        const QString insert = QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'T', 'r')");
        first.beginTrans();
        first.beginTrans();
        first.execute(insert);
        first.commitTrans();
        QCOMPARE(count(second), QStringLiteral("0"));
        first.commitTrans();
        QCOMPARE(count(second), QStringLiteral("1"));
        QVERIFY(errorOf([&] { first.commitTrans(); }) != 0); // nothing left to commit

        // What a copy began and never committed is kept when it closes; the lock file stays until the last closes.
        first.beginTrans();
        first.execute(insert);
        first.close();
        QCOMPARE(count(second), QStringLiteral("2"));
        QVERIFY(QFile::exists(lock) && LockFile::isHeldByAnother(lock));
        second.close();
        QVERIFY(!QFile::exists(lock) && !LockFile::isHeldByAnother(lock));

        // A lock file left behind by a copy that ended without closing holds nobody.
        QVERIFY(QFile(lock).open(QIODevice::WriteOnly));
        QVERIFY(!LockFile::isHeldByAnother(lock));
        first.open();
        QVERIFY(LockFile::isHeldByAnother(lock));
    }

    void sealedArchiveRefusesDamage_data()
    {
        QTest::addColumn<int>("changed"); // the byte changed, counted from the end; 0: none
        QTest::newRow("whole") << 0;
        QTest::newRow("content changed") << 40;
        QTest::newRow("tag changed") << 1;
    }

    // A byte changed anywhere is found, even where the content would still read.
    void sealedArchiveRefusesDamage()
    {
        QFETCH(int, changed);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("Ko240304.dump")));
        const QByteArray plain(200, 'x');
        QVERIFY(file.open(QIODevice::ReadWrite));
        {
            ArchiveCipher::Sealer sealer(file, QStringLiteral("pw"));
            sealer.write(plain.constData(), plain.size());
            sealer.finish();
        }
        if (changed > 0) {
            QVERIFY(file.seek(file.size() - changed));
            const char c = file.peek(1).at(0);
            file.write(QByteArray(1, char(c ^ 0x01)));
        }
        file.close();
        QByteArray read;
        const int error = errorOf([&] {
            ArchiveCipher::unseal(file.fileName(), QStringLiteral("pw"), [&](const char* data, qint64 size) { read.append(data, size); });
        });
        QCOMPARE(error != 0, changed > 0);
        if (changed == 0)
            QCOMPARE(read, plain);
    }
};

QTEST_MAIN(TstDatabaseFile)
#include "tst_databasefile.moc"
