// The options screen (old archive copies, error listing) and the specifics screen (size, counts).
#include "common/TestSupport.h"
#include "shell/DatabaseCreator.h"
#include "base/ProgramState.h"
#include "base/ArchiveNames.h"
#include "shell/KKDatabaseInfo.h"
#include "shell/KKOption.h"

#include <QtTest>
#include <QtWidgets>

class TestOptions : public QObject {
    Q_OBJECT

private slots:

    void oldArchivesAndErrorListing()
    {
        TestDataFolder folder;
        ScriptedMessages messages;
        state().clock.setFixed(QDateTime(QDate(2025, 3, 20), QTime(11, 0)));
        const auto archive = [](int daysBack) { return ArchiveNames::archivePath(state().clock.today().addDays(-daysBack)); };
        for (int d = 1; d <= 20; ++d)
            QVERIFY(writeFile(archive(d), "copy"));
        QFile::setPermissions(archive(10), QFileDevice::ReadOwner);
        KKOption options;
        QCheckBox* box = options.checkBox(0);

        // No: nothing happens and the box stays ticked; clicking again clears it without asking.
        messages.answers = {false};
        box->click();
        QCOMPARE(messages.shown, QStringList{"Confirm Operation?"});
        QVERIFY(box->isChecked());
        QVERIFY(QFile::exists(archive(10)));
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(messages.shown.size(), 1);

        // Yes: exactly the copies named for 7 to 13 days back go (a read-only one too).
        messages.clear();
        box->click();
        QCOMPARE(messages.shown, (QStringList{"Confirm Operation?", "Done!"}));
        QVERIFY(!box->isChecked());
        for (int d = 1; d <= 20; ++d)
            QVERIFY2(QFile::exists(archive(d)) == (d < 7 || d > 13), qPrintable(archive(d)));

        // The error listing is emptied; one that cannot be written is reported, and "Done!" follows.
        const QString listing = state().ErrorListing;
        QVERIFY(writeFile(listing, "20/03/2025 10:00,3021,Korvina,No current record\n"));
        messages.clear();
        options.checkBox(1)->click();
        QCOMPARE(messages.shown, (QStringList{"Confirm Operation?", "Done!"}));
        QVERIFY(QFile::exists(listing));
        QCOMPARE(QFileInfo(listing).size(), 0);
        QVERIFY(QFile::remove(listing) && QDir().mkpath(listing));
        messages.clear();
        options.checkBox(1)->click();
        QCOMPARE(messages.shown, (QStringList{"Confirm Operation?", "Error!", "Done!"}));
        QVERIFY(!options.checkBox(1)->isChecked());
    }

    void specifics()
    {
        TestDataFolder folder({.content = DemoData::fill});
        ScriptedMessages messages;
        QCOMPARE(KKSpecific::sizeText(2345000), QStringLiteral("2.34 MB")); // a half goes to the even neighbour
        QCOMPARE(KKSpecific::sizeText(2355000), QStringLiteral("2.36 MB"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(KKSpecific::sizeText(2345678), QStringLiteral("2,35 MB"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

        // A file of known size and the records of each content table; a table that cannot be
        // counted shows "n/a" and is reported, the others are still counted.
        QVERIFY(writeFile(folder.file(QStringLiteral("Sized.Kys")), QByteArray(2345678, 'k')));
        state().DatabaseFile = QStringLiteral("Sized.Kys");
        state().ContentTables[2] = QStringLiteral("ktMissing");
        KKSpecific specific;
        QCOMPARE(specific.findChild<QLabel*>(QStringLiteral("lblField_4"))->text(), QStringLiteral("Missing:"));
        specific.calculate();
        QVERIFY(!specific.isTimerEnabled());
        QCOMPARE(specific.field(1)->text(), QStringLiteral("2.35 MB"));
        for (int i : {0, 1, 3})
            QCOMPARE(specific.field(i + 2)->text(), QString::number(folder.count(state().ContentTables[i])));
        QCOMPARE(specific.field(4)->text(), QStringLiteral("n/a"));
        QCOMPARE(messages.shown, QStringList{"Error!"});
        QVERIFY(!state().settingsReader.isOpen());

        // No file to measure; the timer's tick comes by itself.
        state().DatabaseFile = QStringLiteral("Gone.Kys");
        KKSpecific unmeasured;
        QTRY_VERIFY_WITH_TIMEOUT(!unmeasured.isTimerEnabled(), 6000);
        QCOMPARE(unmeasured.field(1)->text(), QStringLiteral("n/a"));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
