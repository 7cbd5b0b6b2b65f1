// The options screen (old archive copies, the error listing) and the specifics screen
// (database size and record counts).
#include "common/TestSupport.h"
#include "platform/Clock.h"
#include "shell/ArchiveNames.h"
#include "shell/KKOption.h"
#include "shell/KKDatabaseInfo.h"
#include "shell/ProgramState.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {
void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}
}

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::setFixed(QDateTime()); }

    void clearOldBackupFiles()
    {
        ScriptedMessages messages;
        TestDataFolder folder;
        Clock::setFixed(QDateTime(QDate(2025, 3, 20), QTime(11, 0)));
        const QDate today = Clock::today();
        for (int d = 1; d <= 20; ++d)
            writeFile(ArchiveNames::archivePath(today.addDays(-d)), "copy");
        QFile::setPermissions(ArchiveNames::archivePath(QDate(2025, 3, 10)), QFileDevice::ReadOwner);
        const auto present = [&](int day) { return QFile::exists(ArchiveNames::archivePath(QDate(2025, 3, day))); };

        KKOption options;
        QCheckBox* box = options.checkBox(0);

        // No: nothing happens and the box stays ticked; clicking again clears it without asking.
        messages.answers = {false};
        box->click();
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Confirm Operation?")});
        QVERIFY(box->isChecked());
        QVERIFY(present(10));
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(messages.shown.size(), 1);

        // Yes: exactly the copies named for 7 to 13 March go (a read-only one too).
        messages.clear();
        box->click();
        QCOMPARE(messages.shown, (QStringList{QStringLiteral("Confirm Operation?"), QStringLiteral("Done!")}));
        QVERIFY(!box->isChecked());
        for (int day = 7; day <= 13; ++day)
            QVERIFY2(!present(day), qPrintable(ArchiveNames::archivePath(QDate(2025, 3, day))));
        for (int day : {14, 19, 6, 1})
            QVERIFY(present(day));
    }

    void clearErrorListing()
    {
        ScriptedMessages messages;
        TestDataFolder folder;
        const QString listing = state().ErrorListing;
        writeFile(listing, "20/03/2025 10:00,3021,Korvina,No current record\n");

        KKOption options;
        options.checkBox(1)->click();
        QCOMPARE(messages.shown, (QStringList{QStringLiteral("Confirm Operation?"), QStringLiteral("Done!")}));
        QVERIFY(QFile::exists(listing));
        QCOMPARE(QFileInfo(listing).size(), 0);
        QVERIFY(!options.checkBox(1)->isChecked());

        // A listing that cannot be written is reported, and "Done!" still follows.
        QVERIFY(QFile::remove(listing));
        QVERIFY(QDir().mkpath(listing));
        messages.clear();
        options.checkBox(1)->click();
        QCOMPARE(messages.shown, (QStringList{QStringLiteral("Confirm Operation?"), QStringLiteral("Error!"),
                                              QStringLiteral("Done!")}));
        QVERIFY(!options.checkBox(1)->isChecked());
    }

    void specifics()
    {
        ScriptedMessages messages;
        TestDataFolder folder(TestDataFolder::Options{.demo = true, .open = true, .login = true});

        QCOMPARE(KKSpecific::sizeText(2345678), QStringLiteral("2.35 MB"));
        QCOMPARE(KKSpecific::sizeText(2345000), QStringLiteral("2.34 MB")); // a half goes to the even neighbour
        QCOMPARE(KKSpecific::sizeText(2355000), QStringLiteral("2.36 MB"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(KKSpecific::sizeText(2345678), QStringLiteral("2,35 MB"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

        {
            KKSpecific specific;
            const QStringList captions{QStringLiteral("Database Size:"), QStringLiteral("Customer:"),
                                       QStringLiteral("News:"), QStringLiteral("Lead:"), QStringLiteral("Survey:")};
            for (int i = 1; i <= 5; ++i)
                QCOMPARE(specific.findChild<QLabel*>(QStringLiteral("lblField_%1").arg(i))->text(), captions[i - 1]);
            QCOMPARE(specific.field(1)->text(), QStringLiteral("Calc..."));
            QCOMPARE(specific.findChild<QTimer*>(QStringLiteral("tmrSpecific"))->interval(), 3000);

            specific.calculate();
            QVERIFY(!specific.isTimerEnabled());
            QCOMPARE(specific.field(1)->text(), KKSpecific::sizeText(QFileInfo(folder.databasePath()).size()));
            const QStringList& tables = state().ContentTables;
            for (int i = 0; i < tables.size(); ++i)
                QCOMPARE(specific.field(i + 2)->text(), QString::number(folder.count(tables[i])));
            QVERIFY(!state().settingsReader.isOpen());
            QCOMPARE(state().SqlText, QStringLiteral("Select Count(*) From ktSurvey"));
            QVERIFY(messages.shown.isEmpty());
        }

        // A file of known size; a table that cannot be counted shows "n/a" and is reported.
        writeFile(folder.file(QStringLiteral("Sized.Kys")), QByteArray(2345678, 'k'));
        state().DatabaseFile = QStringLiteral("Sized.Kys");
        state().ContentTables[2] = QStringLiteral("ktMissing");
        {
            KKSpecific specific;
            QCOMPARE(specific.findChild<QLabel*>(QStringLiteral("lblField_4"))->text(), QStringLiteral("Missing:"));
            specific.calculate();
            QCOMPARE(specific.field(1)->text(), QStringLiteral("2.35 MB"));
            QCOMPARE(specific.field(4)->text(), QStringLiteral("n/a"));
            QCOMPARE(specific.field(5)->text(), QString::number(folder.count(QStringLiteral("ktSurvey"))));
            QCOMPARE(messages.shown, QStringList{QStringLiteral("Error!")});
        }

        // No file to measure.
        state().DatabaseFile = QStringLiteral("Gone.Kys");
        messages.clear();
        KKSpecific specific;
        QTRY_VERIFY_WITH_TIMEOUT(!specific.isTimerEnabled(), 6000); // the tick comes by itself
        QCOMPARE(specific.field(1)->text(), QStringLiteral("n/a"));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
