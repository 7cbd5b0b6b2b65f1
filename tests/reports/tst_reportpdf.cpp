// The thirteen reports printed from the demo database and read back from the PDF: headers,
// the selected rows only, counts, label sheets, whole messages and survey averages; and the
// program run from a scheduled job to print one, with its exit codes.

#include "ReportFixture.h"
#include "common/ProgramProcess.h"

#include <QTextDocumentFragment>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// A file that takes no bytes, as a full disk does: a device like /dev/full of our own when the
// test may make one, so that a broken program cannot replace the system's.
QString fullDisk(const TestDataFolder& folder)
{
    const QString node = folder.file("full");
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

// Whether the texts appear in the page text in this order.
bool inOrder(const QString& text, const QStringList& parts)
{
    qsizetype from = 0;
    for (const QString& part : parts) {
        from = text.indexOf(part, from);
        if (from < 0)
            return false;
        from += part.size();
    }
    return true;
}
}

class ReportPdfTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<ScriptedMessages> m_messages;
    QString m_company;

private slots:
    void init()
    {
        m_folder = demoFolder();
        m_messages = std::make_unique<ScriptedMessages>();
        m_company = state().EShort;
        QVERIFY(!m_company.isEmpty());
    }
    void cleanup()
    {
        QGuiApplication::setLayoutDirection(Qt::LeftToRight);
        m_messages.reset();
        m_folder.reset();
    }

    // Address, phone and e-mail lists of one type: only that type, by first name, counted.
    void customerLists_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("column"); // a column only that list prints
        QTest::newRow("address list") << 41 << "CZipCode";
        QTest::newRow("phone list") << 42 << "CTelMob";
        QTest::newRow("email list") << 43 << "CEmail";
    }
    void customerLists()
    {
        QFETCH(int, number);
        QFETCH(QString, column);
        const QString type = m_folder->scalar("Select Min(EId) From kmCustType");
        const QString typeName = m_folder->scalar("Select CCategory From kmCustType Where EId=" + type);
        state().clock.setFixed(QDateTime(QDate(2025, 3, 14), QTime(9, 0)));
        const QString text = pdfText(writeReport(*m_folder, number, {type, typeName}));

        for (const QString& header : {m_company, ReportCatalogue::find(number)->caption, "Selection: " + type + "- " + typeName,
                                      QStringLiteral("Printed: 03/14/2025"), QStringLiteral("Page 1 of 1")})
            QVERIFY2(text.contains(header), qPrintable(header));

        QStringList selected = m_folder->rows("Select CFirst, " + column + " From ktCustomer Where CType=" + type);
        selected.replaceInStrings("|", "\t").sort();
        QVERIFY(selected.size() > 2);
        QVERIFY(text.contains(QStringLiteral("Total: %1").arg(selected.size())));
        QStringList expected;
        for (const QString& s : selected)
            expected << s.section('\t', 0, 0) << s.section('\t', 1, 1);
        QVERIFY2(inOrder(text, expected), qPrintable(expected.join('|') + "\n---\n" + text));
        for (const QString& other : m_folder->rows("Select " + column + " From ktCustomer Where CType<>" + type))
            QVERIFY2(!text.contains(other), qPrintable(other));
    }

    // Labels three across, seven down on A4 and ten down on Letter. A label keeps every word:
    // long lines wrap within it, and each line reads in its own direction.
    void labelSheets_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<QString>("set");      // on the first customer
        QTest::addColumn<QString>("expected"); // in the PDF, word by word; "<" before a text: on one line, in order
        const QString longAddress = "CAddr1='Unit 14, The Old Harbour Warehouse Buildings, Commercial Road Industrial "
                                    "Estate', CCity='Weston-super-Mare', CState='North Somerset', CZipCode='BS23 1XY'";
        const QString wrapped = "Industrial Estate Weston-super-Mare Somerset BS23 1XY";
        QTest::newRow("A4, long address") << int(QPageSize::A4) << 21 << longAddress << wrapped;
        QTest::newRow("Letter, long address") << int(QPageSize::Letter) << 30 << longAddress << wrapped;
        QTest::newRow("A4, right-to-left name, right-to-left desktop")
            << int(QPageSize::A4) << 21 << QString::fromUtf8("CTitle='', CFirst='שרה', CLast='כהן', CTelHome='+7 812 55 99 31'")
            << "<+7 812 55 99 31";
    }
    void labelSheets()
    {
        QFETCH(int, paper);
        QFETCH(int, perPage);
        QFETCH(QString, set);
        QFETCH(QString, expected);
        m_folder->exec("UPDATE ktCustomer SET " + set + " WHERE EId=(Select Min(EId) From ktCustomer)");
        if (QString(QTest::currentDataTag()).endsWith("right-to-left desktop"))
            QGuiApplication::setLayoutDirection(Qt::RightToLeft);
        const QString pdf = writeReport(*m_folder, 44, {}, QPageSize::PageSizeId(paper));
        const QStringList customers = m_folder->rows("Select CFirst, CLast From ktCustomer");
        const int pages = int((customers.size() + perPage - 1) / perPage);
        const QString text = pdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
        const QString first = pdfText(pdf, 1);
        int onFirst = 0;
        for (const QString& c : customers)
            onFirst += first.contains(QString(c).replace('|', ' '));
        QCOMPARE(onFirst, perPage);
        QVERIFY(!first.contains(m_company)); // the label report sets no formula
        const QStringList words = expected.mid(expected.startsWith('<') ? 1 : 0).split(' ');
        for (const QString& word : words)
            QVERIFY2(text.contains(word), qPrintable(word + "\n---\n" + text));
        if (!expected.startsWith('<'))
            return;
        // The words on one line, in order from the left.
        const QList<PdfWord> boxes = pdfWords(pdf);
        const auto at = std::find_if(boxes.cbegin(), boxes.cend(), [&](const PdfWord& w) { return w.text == words[0]; });
        QVERIFY(at != boxes.cend());
        QStringList line;
        for (const PdfWord& w : boxes)
            if (w.page == at->page && qAbs(w.box.top() - at->box.top()) < 1 && w.box.left() >= at->box.left() && line.size() < words.size())
                line << w.text;
        QCOMPARE(line, words);
    }

    // News, leads and surveys print whole: the end of the text, HTML rendered.
    void documents_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("html");
        QTest::newRow("news") << 46 << "Select NSubject, NMessage From ktNews Where EId=%1" << false;
        QTest::newRow("lead") << 47 << "Select LSubject, LMessage From ktLead Where EId=%1" << true;
        QTest::newRow("survey") << 48 << "Select SName, SQuery10 From ktSurvey Where EId=%1" << false;
    }
    void documents()
    {
        QFETCH(int, number);
        QFETCH(QString, sql);
        QFETCH(bool, html);
        const QString table = QString(sql).section(" From ", 1).section(' ', 0, 0);
        const QString id = m_folder->scalar("Select Max(EId) From " + table);
        const QStringList row = m_folder->rows(sql.arg(id)).value(0).split('|');
        const QString text = pdfText(writeReport(*m_folder, number, {id})).simplified();

        QVERIFY(text.contains(m_company));
        QVERIFY(!text.contains("Selection:"));
        QVERIFY2(text.contains(row[0].simplified()), qPrintable(row[0] + "\n---\n" + text));
        const QString body = (html ? QTextDocumentFragment::fromHtml(row[1]).toPlainText() : row[1]).simplified();
        QVERIFY(body.size() > 40);
        QVERIFY2(text.contains(body.right(40)), qPrintable(body.right(40) + "\n---\n" + text));
        QVERIFY(!text.contains("</"));
        // Only the chosen record.
        QCOMPARE(text.count(QRegularExpression("(News|Lead|Survey) Id: ")), 1);
    }

    // A letter's CSS pixels are 1/96 inch on any device: 16px prints as 12 pt, read back as the
    // height of the words' boxes.
    void leadLetterSize()
    {
        m_folder->exec("INSERT INTO ktLead (EDate, LReference, LSubject, LMessage) VALUES ('2025-01-01', 'Size', 'Size', "
                       "'<p style=\"font-size:16px\">Sixteen pixel words</p>')");
        const QString pdf = writeReport(*m_folder, 47, {m_folder->scalar("Select Max(EId) From ktLead")});
        const QList<PdfWord> words = pdfWords(pdf);
        const auto word = std::find_if(words.cbegin(), words.cend(), [](const PdfWord& w) { return w.text == "Sixteen"; });
        QVERIFY(word != words.cend());
        const double height = word->box.height();
        QVERIFY2(height > 11 && height < 18, qPrintable(QString::number(height)));
    }

    // A text over several pages prints each line once: none is repeated, clipped, at the
    // foot of the page before.
    void longTextEachLineOnce()
    {
        QStringList lines;
        for (int n = 1; n <= 300; ++n)
            lines << QString("Line %1 of the long message").arg(n, 3, 10, QChar('0'));
        m_folder->exec("INSERT INTO ktNews (EDate, NType, NReference, NSubject, NMessage) VALUES ('2025-01-01', 1, "
                       "'Long', 'Long', '" + lines.join('\n') + "')");
        const QString pdf = writeReport(*m_folder, 46, {m_folder->scalar("Select Max(EId) From ktNews")});
        const QString text = pdfText(pdf);
        QVERIFY(text.contains("Page 1 of 4") || text.contains("Page 1 of 5") || text.contains("Page 1 of 6"));
        for (const QString& line : lines)
            QVERIFY2(text.count(line) == 1, qPrintable(line));
    }

    // Each summary row's count, counted here from the customers, and their total.
    void summaries_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("byType");
        QTest::newRow("type summary of one country prefix") << 54 << true;
        QTest::newRow("country summary of one type") << 55 << false;
    }
    void summaries()
    {
        QFETCH(int, number);
        QFETCH(bool, byType);
        const QString type = m_folder->scalar("Select Max(EId) From kmCustType Where EId In (Select CType From ktCustomer)");
        const QString prefix = m_folder->scalar("Select Min(CCountry) From ktCustomer").left(2);
        QMap<QString, int> counts;
        int total = 0;
        for (const QString& row : m_folder->rows("Select a.CCountry, a.CType, b.CCategory From ktCustomer a, kmCustType b "
                                                 "Where a.CType=b.EId")) {
            const QStringList c = row.split('|');
            if (byType ? !c[0].startsWith(prefix, Qt::CaseInsensitive) : c[1] != type)
                continue;
            ++counts[byType ? c[1] + ' ' + c[2] : c[0]];
            ++total;
        }
        QVERIFY(counts.size() > 1);
        const QString text = pdfText(writeReport(*m_folder, number, {byType ? prefix : type, "Any"}));
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            QVERIFY2(text.contains(QRegularExpression(QRegularExpression::escape(it.key()) + " +" + QString::number(it.value()) + "\\b")),
                     qPrintable(it.key()));
        QVERIFY(text.contains(QRegularExpression("Total +" + QString::number(total) + "\\b")));
        QVERIFY(text.contains(byType ? "Selection: " + prefix : "Selection: " + type + "- Any"));
    }

    // Number of answers and average of every question, worked out here from the answers.
    void surveyAnalysis()
    {
        const QString survey = m_folder->scalar("Select Min(SSurveyId) From ktSUpdate");
        QStringList expected;
        for (int q = 1; q <= 10; ++q) {
            int answers = 0, sum = 0;
            for (const QString& r : m_folder->rows(QString("Select SAnswer%1 From ktSUpdate Where SSurveyId=%2").arg(q).arg(survey))) {
                const int rating = r.toInt();
                if (rating >= 1 && rating <= 10) {
                    ++answers;
                    sum += rating;
                }
            }
            QVERIFY(answers > 0);
            expected << QString("Answers: %1").arg(answers) << QString("Average: %1").arg(double(sum) / answers, 0, 'f', 2);
        }
        const QString text = pdfText(writeReport(*m_folder, 56, {survey}));
        QVERIFY2(inOrder(text, expected), qPrintable(text));
        QVERIFY(text.contains("Survey " + survey + ": " + m_folder->scalar("Select SName From ktSurvey Where EId=" + survey)));
        QCOMPARE(text.count("Survey "), 1 + text.count("Survey Analysis"));
    }

    // Campaign lists over a date range, a range of one day included.
    void campaignLists_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("oneDay");
        QTest::newRow("send news, all") << 50 << "ktSNews" << false;
        QTest::newRow("market lead, one day") << 51 << "ktMLead" << true;
        QTest::newRow("email survey, all") << 52 << "ktESurvey" << false;
    }
    void campaignLists()
    {
        QFETCH(int, number);
        QFETCH(QString, table);
        QFETCH(bool, oneDay);
        const QDate day = QDate::fromString(m_folder->scalar("Select Min(EDate) From " + table).left(10), Qt::ISODate);
        QVERIFY(day.isValid());
        const QDate from = oneDay ? day : QDate(2000, 1, 1), to = oneDay ? day : QDate(2099, 12, 31);
        const int rows = m_folder->scalar(QString("Select Count(*) From %1 Where EDate Between '%2' And '%3 23:59:59'")
                                              .arg(table, from.toString(Qt::ISODate), to.toString(Qt::ISODate)))
                             .toInt();
        QVERIFY(rows > 0);
        const QString fromText = from.toString("MM/dd/yyyy"), toText = to.toString("MM/dd/yyyy");
        const QString text = pdfText(writeReport(*m_folder, number, {fromText, {}, toText, from, to}));
        QVERIFY(text.contains("Selection: " + fromText + " To " + toText));
        QVERIFY(text.contains(QString("Total: %1").arg(rows)));
        QVERIFY(m_messages->shown.isEmpty());
    }

    // A rejected statement, a missing layout or a missing formula is logged with "Error!".
    void failuresLogged_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("layout"); // replaces the layout's text; "-" removes the file
        QTest::addColumn<bool>("printed");
        QTest::addColumn<QString>("logged");
        QTest::newRow("quote in a prefix") << 54 << "O'B" << "" << true << "";
        QTest::newRow("missing layout") << 41 << "" << "-" << false << "KVAddrList.Krp";
        QTest::newRow("layout without pFilter")
            << 42 << "" << R"({"title": "Phones", "formulas": ["pCompName"], "body": "list", "columns": [{"field": "CFirst"}]})"
            << true << "pFilter";
    }
    void failuresLogged()
    {
        QFETCH(int, number);
        QFETCH(QString, value);
        QFETCH(QString, layout);
        QFETCH(bool, printed);
        QFETCH(QString, logged);
        const QString file = state().BinFolder + ReportCatalogue::find(number)->layoutFile;
        if (layout == "-")
            QVERIFY(QFile::remove(file));
        else if (!layout.isEmpty())
            QVERIFY(writeFile(file, layout.toUtf8()));
        const QString pdf = writeReport(*m_folder, number, {value});
        QCOMPARE(m_messages->count("Error!"), 1);
        QCOMPARE(!pdf.isEmpty(), printed);
        const QStringList lines = QString::fromUtf8(fileContents(state().ErrorListing)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(logged), qPrintable(lines[0]));
        if (printed)
            QVERIFY(pdfText(pdf).contains(m_company));
    }

    // A DataFolder made before the reports gets the missing layouts; existing ones stay as they are.
    void missingLayoutsInstalled()
    {
        const QString bin = state().BinFolder;
        QVERIFY(QFile::remove(bin + "KVSurvAnly.Krp"));
        QVERIFY(writeFile(bin + "KVAddrList.Krp", "{\"title\": \"Our own\"}"));
        QCOMPARE(LayoutFiles::installMissing(bin), QStringList{"KVSurvAnly.Krp"});
        QCOMPARE(fileContents(bin + "KVAddrList.Krp"), QByteArray("{\"title\": \"Our own\"}"));
        QCOMPARE(QDir(bin).entryList({"KV*.Krp"}).size(), 13);
    }

    // The program run from a scheduled job writes a report to a PDF without a window; its exit
    // code says how it went.
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
        state().connection->close(); // the program opens the database itself
        const QString pdf = m_folder->file("out.pdf");
        const ProcessRun run = runKorvina(QStringList{"--data", m_folder->path()} + args + QStringList{"--pdf", pdf});
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
        state().connection->close();
        QString pdf = m_folder->file("out.pdf");
        const QStringList data{"--data", m_folder->path()};
        QCOMPARE(runKorvina(data + QStringList{"--report", "47", "--pdf", pdf}).code, 0);
        const QByteArray good = fileContents(pdf);

        ProcessRun run;
        if (how == "full") {
            pdf = fullDisk(*m_folder);
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

QTEST_MAIN(ReportPdfTest)
#include "tst_reportpdf.moc"
