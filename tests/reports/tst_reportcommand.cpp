// The program run from a scheduled job: a report written to a PDF without a window, and its
// exit codes.

#include "ReportFixture.h"
#include "common/ProgramProcess.h"

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
        QTest::newRow("reversed range")
            << QStringList{"--report", "51", "--criterion", "2024-02-01", "--to", "2024-01-01"} << 2 << "Invalid Range!"
            << "";
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
};

QTEST_GUILESS_MAIN(ReportCommandTest)
#include "tst_reportcommand.moc"
