// What every screen shares: number checks, the error listing, work off the thread.
#include "common/TestSupport.h"
#include "base/OffThread.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QFile>
#include <QSemaphore>
#include <QTimer>
#include <QtTest>

class BaseTest : public QObject {
    Q_OBJECT
private slots:
    void numbersOnlyInDigits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::newRow("whole") << " 12 " << true;
        QTest::newRow("negative decimal") << "-3.5" << true;
        QTest::newRow("leading point") << ".5" << true;
        QTest::newRow("exponent") << "1e3" << true;
        QTest::newRow("nan") << "nan" << false;
        QTest::newRow("inf") << "inf" << false;
        QTest::newRow("signed infinity") << "-Infinity" << false;
        QTest::newRow("overflow") << "1e999" << false;
        QTest::newRow("decimal comma") << "1,5" << false;
        QTest::newRow("trailing word") << "12abc" << false;
        QTest::newRow("empty") << "" << false;
    }
    void numbersOnlyInDigits()
    {
        QFETCH(QString, text);
        QTEST(IsNumberText(text), "number");
    }

    // The error listing holds typed text: it is created readable by its owner only, and an
    // existing listing that others could read is closed to them.
    void errorListingIsPrivate()
    {
        TestDataFolder folder({.open = false, .login = false});
        ScriptedMessages messages;
        const QString listing = state().ErrorListing;
        LogError(AppError(3075, "Korvina database", "Syntax error"));
        QCOMPARE(QFile::permissions(listing) & QFileDevice::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(listing, QFile::permissions(listing) | QFile::ReadGroup | QFile::ReadOther);
        LogError(AppError(3075, "Korvina database", "Syntax error"));
        QCOMPARE(QFile::permissions(listing) & QFileDevice::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(messages.shown, QStringList(2, "Error!"));
        // A server's message of several lines stays one entry of one line.
        LogError(AppError(3000, "Korvina database", "ERROR:  value too long\nDETAIL:  in row 3\r\nHINT:  shorten it"));
        QFile file(listing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.last().endsWith(",ERROR:  value too long DETAIL:  in row 3 HINT:  shorten it"), lines.last());
    }

    // Work run off the thread leaves its events running (a timer fires while the work waits
    // for it) and its failure comes back to the caller.
    void offThreadWorkKeepsEventsRunning()
    {
        QSemaphore timerFired;
        QTimer::singleShot(0, [&] { timerFired.release(); });
        RunOffThread([&] {
            if (!timerFired.tryAcquire(1, 5000))
                throw AppError(3000, "test", "the events stood still");
        });
        QVERIFY_THROWS_EXCEPTION(AppError, RunOffThread([] { throw AppError(3000, "test", "failed"); }));
    }
};

QTEST_MAIN(BaseTest)
#include "tst_base.moc"
