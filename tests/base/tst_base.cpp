// What every screen shares: number checks, the error listing, work off the thread, unsubscribe tokens.
#include "common/TestSupport.h"
#include "base/OffThread.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "base/UnsubscribeToken.h"

#include <QDir>
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

    // Each failure, logged or caught by Guard, is one "Error!" and one line of the error listing:
    // date-time, number, source, description (a comma in it kept, a server's message of several
    // lines on one line). The listing holds typed text: it is created readable by its owner only,
    // and an existing listing that others could read is closed to them.
    void errorListingHasALinePerFailure()
    {
        TestDataFolder folder({.open = false, .login = false});
        ScriptedMessages messages;
        const QString listing = state().ErrorListing;
        const auto lines = [&] { return QString::fromUtf8(fileContents(listing)).split('\n', Qt::SkipEmptyParts); };
        LogError(AppError(3075, "Korvina database", "Syntax error, in query"));
        QCOMPARE(QFile::permissions(listing) & QFileDevice::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(listing, QFile::permissions(listing) | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(!Guard([] { throw AppError(13, "ApplyLook", "Type mismatch"); }));
        QVERIFY(Guard([] {}));
        QCOMPARE(QFile::permissions(listing) & QFileDevice::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner);
        LogError(AppError(3000, "Korvina database", "ERROR:  value too long\nDETAIL:  in row 3\r\nHINT:  shorten it"));
        QCOMPARE(messages.shown, QStringList(3, "Error!"));
        const QStringList logged = lines();
        QCOMPARE(logged.size(), 3);
        QVERIFY2(logged.at(0).endsWith(",3075,Korvina database,Syntax error, in query"), qPrintable(logged.at(0)));
        QVERIFY2(logged.at(1).endsWith(",13,ApplyLook,Type mismatch"), qPrintable(logged.at(1)));
        QVERIFY2(logged.at(2).endsWith(",ERROR:  value too long DETAIL:  in row 3 HINT:  shorten it"), qPrintable(logged.at(2)));

        // A missing Docs folder is made again so that nothing goes unrecorded.
        QDir(folder.file("Docs")).removeRecursively();
        LogError(AppError(1, "x", "y"));
        QCOMPARE(lines().size(), 1);
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

    void tokenNamesOneRecipient_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("as made") << "" << true;
        QTest::newRow("upper case, blanks around") << "upper" << true;
        QTest::newRow("another customer") << "customer" << false;
        QTest::newRow("another campaign") << "campaign" << false;
        QTest::newRow("another kind of campaign") << "kind" << false;
        QTest::newRow("another database's key") << "key" << false;
        QTest::newRow("hash cut short") << "short" << false;
    }
    void tokenNamesOneRecipient()
    {
        QFETCH(QString, change);
        QFETCH(bool, accepted);
        const QString key = QString::fromLatin1(UnsubscribeToken::newKey());
        const UnsubscribeToken::Recipient ann{QStringLiteral("ktMLead"), 12, 345};
        QString token = UnsubscribeToken::make(key, ann);
        QVERIFY2(token.startsWith("M12-345-"), qPrintable(token));
        QString verifyKey = key;
        if (change == "upper")
            token = "  " + token.toUpper() + " ";
        else if (change == "customer")
            token.replace("-345-", "-346-");
        else if (change == "campaign")
            token.replace("M12-", "M13-");
        else if (change == "kind")
            token.replace(0, 1, "S");
        else if (change == "key")
            verifyKey = QString::fromLatin1(UnsubscribeToken::newKey());
        else if (change == "short")
            token.chop(1);
        const auto found = UnsubscribeToken::verify(verifyKey, token);
        QCOMPARE(found.has_value(), accepted);
        if (accepted)
            QCOMPARE(*found, ann);
    }
};

QTEST_MAIN(BaseTest)
#include "tst_base.moc"
