// The program run from a scheduled job: a report written to a PDF without a window, and its
// exit codes.

#include "ReportFixture.h"
#include "common/ProgramProcess.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// A file that takes no bytes, as a full disk does: a device like /dev/full of our own when the
// test may make one, so that a broken program cannot replace the system's.
QString fullDisk(const QTemporaryDir& dir)
{
    const QString node = dir.filePath("full");
    if (geteuid() == 0 && mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
        return node;
    return "/dev/full";
}

// Runs the program with files limited to limit bytes: past it a write fails ("File too
// large"), or, with kill, the system ends the program then and there.
ProcessRun runLimited(const QStringList& args, qint64 limit, bool kill)
{
    const QString script = QString(kill ? "" : "trap '' XFSZ; ") + "exec prlimit --fsize=%1 \"$0\" \"$@\"";
    return runProcess("sh", QStringList{"-c", script.arg(limit), korvinaBinary()} + args);
}
}

class ReportCommandTest : public QObject {
    Q_OBJECT

private slots:
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("stderrText");
        QTest::addColumn<QString>("pdfText"); // expected in the PDF; empty: no PDF is written

        QTest::newRow("address list of type 1") << QStringList{"--report", "41", "--criterion", "1"} << 0 << ""
                                                << "Selection: 1- ";
        QTest::newRow("country prefix") << QStringList{"--report", "54", "--criterion", "Ge"} << 0 << ""
                                        << "Type Summary";
        QTest::newRow("date range, ISO dates")
            << QStringList{"--report", "50", "--criterion", "2000-01-01", "--to", "2099-12-31"} << 0 << ""
            << "01/01/2000 To 12/31/2099";
        QTest::newRow("empty result") << QStringList{"--report", "42", "--criterion", "999"} << 3 << "No Data!"
                                      << "Phone List";
        QTest::newRow("no such report") << QStringList{"--report", "45"} << 2 << "no report" << "";
        QTest::newRow("report not a number") << QStringList{"--report", "x"} << 2 << "no report" << "";
        QTest::newRow("criterion not numeric") << QStringList{"--report", "46", "--criterion", "one"} << 2
                                               << "Invalid Criteria!" << "";
        QTest::newRow("to-date on a list") << QStringList{"--report", "41", "--criterion", "1", "--to", "2024-01-01"}
                                           << 2 << "--to" << "";
        QTest::newRow("to-date without a from-date") << QStringList{"--report", "50", "--to", "2024-01-01"} << 2
                                                     << "--criterion" << "";
        QTest::newRow("letter paper") << QStringList{"--report", "41", "--paper", "letter"} << 0 << "" << "Address List";
        QTest::newRow("unknown paper") << QStringList{"--report", "41", "--paper", "A5"} << 2 << "A4, Letter" << "";
        QTest::newRow("not a date") << QStringList{"--report", "52", "--criterion", "soon"} << 2 << "Invalid Criteria!"
                                    << "";
    }
    void exitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, stderrText);
        QFETCH(QString, pdfText);
        QTemporaryDir dir;
        QCOMPARE(runKorvina({"--data", dir.path(), "--init", "--demo"}).code, 0);

        const QString pdf = dir.filePath("out.pdf");
        const ProcessRun run = runKorvina(QStringList{"--data", dir.path()} + args + QStringList{"--pdf", pdf});
        QCOMPARE(run.code, code);
        QVERIFY2(run.errors.contains(stderrText), qPrintable(run.errors));
        QCOMPARE(QFileInfo::exists(pdf), !pdfText.isEmpty());
        if (!pdfText.isEmpty())
            QVERIFY(::pdfText(pdf).contains(pdfText));
    }

    // A run that fails leaves the file already there as it was, and says why in words.
    void failedRunKeepsFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("how"); // "limit": writes fail part way; "kill": killed part way; "full"
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("stderrText");
        QTest::newRow("statement refused") << QStringList{"--report", "54", "--criterion", "O'B"} << "" << 4
                                           << "could not be made";
        QTest::newRow("write fails part way") << QStringList{"--report", "47"} << "limit" << 5 << "File too large";
        QTest::newRow("killed part way") << QStringList{"--report", "47"} << "kill" << -1 << "";
        QTest::newRow("full disk") << QStringList{"--report", "41"} << "full" << 5 << "No space left on device";
    }
    void failedRunKeepsFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, how);
        QFETCH(int, code);
        QFETCH(QString, stderrText);
        QTemporaryDir dir;
        QCOMPARE(runKorvina({"--data", dir.path(), "--init", "--demo"}).code, 0);
        QString pdf = dir.filePath("out.pdf");
        const QStringList data{"--data", dir.path()};
        QCOMPARE(runKorvina(data + QStringList{"--report", "47", "--pdf", pdf}).code, 0);
        const QByteArray good = fileContents(pdf);

        ProcessRun run;
        if (how == "full") {
            pdf = fullDisk(dir);
            run = runKorvina(data + args + QStringList{"--pdf", pdf});
        } else if (!how.isEmpty()) {
            // Room for the database's shared-memory file (32 KB), not for the whole report.
            QVERIFY2(good.size() > 36000, qPrintable(QString::number(good.size())));
            run = runLimited(data + args + QStringList{"--pdf", pdf}, (good.size() + 32768) / 2, how == "kill");
        } else {
            run = runKorvina(data + args + QStringList{"--pdf", pdf});
        }
        QCOMPARE(run.code, code);
        QVERIFY2(run.errors.contains(stderrText), qPrintable(run.errors));
        QVERIFY2(!run.errors.contains("Error!"), qPrintable(run.errors));
        if (how != "full")
            QVERIFY(fileContents(pdf) == good);
        else
            QVERIFY(QFileInfo(pdf).exists() && !QFileInfo(pdf).isFile());
    }
};

QTEST_GUILESS_MAIN(ReportCommandTest)
#include "tst_reportcommand.moc"
