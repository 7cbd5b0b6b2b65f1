// The report screen: its controls by criterion kind, the calendars and the pick list, the
// criteria it builds, the checks of View and the print preview it fills.

#include "ReportFixture.h"
#include "common/ProgramProcess.h"

#include "engine/KKList.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "reports/KKReport.h"
#include "reports/ReportViewer.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPrinter>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>

class KKReportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<KKReport> m_screen;

    KKReport& open(int number)
    {
        state().ReportNumber = number;
        m_screen = std::make_unique<KKReport>(QStringLiteral("Menu Caption"));
        return *m_screen;
    }
    template <class T> T* child(const char* name) const
    {
        T* w = m_screen->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

private slots:
    void init()
    {
        m_folder = demoFolder();
        state().clock.setFixed(QDateTime(QDate(2025, 6, 10), QTime(10, 0)));
        m_messages = std::make_unique<ScriptedMessages>();
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_screen.reset();
        m_messages.reset();
        m_folder.reset();
    }

    void loadByKind_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("op");
        QTest::addColumn<bool>("picked");    // cmdList1 and lblList shown, txtReport1 locked, filled from the pick list
        QTest::addColumn<bool>("range");     // the to-date and its button shown, both dates today
        QTest::newRow("address list") << 41 << "a.CType" << "=" << true << false;
        QTest::newRow("news print") << 46 << "a.EId" << "=" << false << false;
        QTest::newRow("send news list") << 50 << "a.EDate" << "=" << false << true;
        QTest::newRow("type summary") << 54 << "a.CCountry" << "Like" << false << false;
    }
    void loadByKind()
    {
        QFETCH(int, number);
        QFETCH(bool, picked);
        QFETCH(bool, range);
        open(number);
        QTEST(child<QComboBox>("cmbField")->currentText(), "field");
        QTEST(child<QComboBox>("cmbOperator")->currentText(), "op");
        QCOMPARE(child<QComboBox>("cmbOperator")->count(), 1);
        QCOMPARE(child<QToolButton>("cmdList1")->isHidden(), !(picked || range));
        QCOMPARE(child<QLabel>("lblList")->isHidden(), !(picked || range));
        QCOMPARE(child<QLineEdit>("txtReport1")->isReadOnly(), picked || range);
        QCOMPARE(child<QLineEdit>("txtReport2")->isHidden(), !range);
        QCOMPARE(child<QToolButton>("cmdList2")->isHidden(), !range);
        QCOMPARE(child<QLineEdit>("txtReport1")->text(), range ? QString("06/10/2025") : QString());
        QCOMPARE(child<QLineEdit>("txtReport2")->text(), range ? QString("06/10/2025") : QString());
        QCOMPARE(m_screen->windowTitle(), QString("Menu Caption"));
        if (!picked)
            return;
        // The "+" button opens the customer-type pick list for this screen.
        const QStringList type = m_folder->rows("Select CCategory, EId From kmCustType Order By EId").value(1).split('|');
        onNextModal([&](QWidget* w) {
            if (auto* list = qobject_cast<KKList*>(w)) {
                list->list()->setCurrentRow(1);
                list->choose();
            }
        });
        child<QToolButton>("cmdList1")->click();
        QCOMPARE(child<QLabel>("lblList")->text(), type[0]);
        QCOMPARE(child<QLineEdit>("txtReport1")->text(), type[1]);
    }

    // View refuses a criterion that does not fit (here a from-date after the to-date) and leaves
    // the preview as it was.
    void viewRefuses()
    {
        open(51);
        child<QCalendarWidget>("monSel1")->setSelectedDate(QDate(2025, 6, 11));
        m_screen->view();
        QCOMPARE(m_messages->shown, QStringList{"Invalid Range!"});
        QCOMPARE(m_screen->viewer()->pageCount(), 0);
    }

    // Printing honours the printer's range: all pages, from-to, or the page on the screen.
    void printRange_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QList<int>>("printed");
        QTest::newRow("all") << int(QPrinter::AllPages) << 0 << 0 << 1 << QList<int>{1, 2, 3};
        QTest::newRow("pages 2 to 3") << int(QPrinter::PageRange) << 2 << 3 << 1 << QList<int>{2, 3};
        QTest::newRow("current page") << int(QPrinter::CurrentPage) << 0 << 0 << 2 << QList<int>{2};
    }
    void printRange()
    {
        QFETCH(int, range);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, shown);
        QFETCH(QList<int>, printed);
        ReportRun run(*ReportCatalogue::find(44), ReportCriterion{}); // 60 labels, 21 to an A4 sheet
        const std::unique_ptr<ReportDocument> report = run.run();
        ReportViewer viewer;
        viewer.setPaper({QPageSize::A4, QPageLayout::Portrait});
        viewer.setReport(report.get());
        QTRY_VERIFY(!viewer.isBusy());
        viewer.showPage(shown);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_folder->file("printed.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPrintRange(QPrinter::PrintRange(range));
        if (from > 0)
            printer.setFromTo(from, to);
        viewer.printPages(printer);
        const QString text = pdfText(printer.outputFileName());
        for (int page = 1; page <= 3; ++page)
            QVERIFY2(text.contains(QString("Page %1 of 3").arg(page)) == printed.contains(page), qPrintable(text));
        viewer.setReport(nullptr);
    }

    // View fills the preview at 80%; the page box goes to a page, Fit Width fills the width, and a
    // PDF of every page is saved on the paper and in the orientation chosen.
    void viewerControls_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QString>("size"); // as pdfinfo gives it, in points
        QTest::newRow("A4 landscape") << int(QPageSize::A4) << int(QPageLayout::Landscape) << "842 x 595 pts";
        QTest::newRow("Letter portrait") << int(QPageSize::Letter) << int(QPageLayout::Portrait) << "612 x 792 pts";
    }
    void viewerControls()
    {
        QFETCH(int, paper);
        QFETCH(int, orientation);
        open(41).view();
        QVERIFY(m_messages->shown.isEmpty());
        ReportViewer* viewer = m_screen->viewer();
        QVERIFY(!viewer->isBusy());
        QCOMPARE(viewer->pageCount(), 2);
        QCOMPARE(viewer->zoomFactor(), 0.8);
        child<QSpinBox>("txtPage")->setValue(2);
        QCOMPARE(viewer->currentPage(), 2);
        child<QToolButton>("cmdFitWidth")->click();
        QVERIFY(viewer->zoomFactor() != 0.8);
        auto* paperBox = child<QComboBox>("cmbPaper");
        auto* turnBox = child<QComboBox>("cmbOrientation");
        paperBox->setCurrentIndex(paperBox->findData(paper));
        turnBox->setCurrentIndex(turnBox->findData(orientation));
        emit paperBox->activated(paperBox->currentIndex());
        QTRY_VERIFY(!viewer->isBusy());
        const QString pdf = m_folder->file("paper.pdf");
        QVERIFY(viewer->savePdf(pdf));
        const QString text = pdfText(pdf);
        QVERIFY(text.contains("Address List"));
        QVERIFY2(text.contains(QString("Page %1 of %1").arg(viewer->pageCount())), qPrintable(text));
        const ProcessRun info = runProcess("pdfinfo", {pdf});
        QFETCH(QString, size);
        QVERIFY2(info.output.contains(size), qPrintable(info.output));
    }

    // A long report shows its first page at once and is laid out and saved in steps: the window
    // takes events meanwhile. Stop keeps the pages laid out so far, and leaves a file already
    // there as it was.
    void stopLayingOutAndSaving()
    {
        for (int n = 0; n < 6; ++n) // 60 customers become 3840 (64 times as many)
            m_folder->exec("INSERT INTO ktCustomer (EDate, CFirst, CLast, CType) Select EDate, CFirst, CLast, CType From ktCustomer");
        ReportRun run(*ReportCatalogue::find(42), ReportCriterion{});
        const std::unique_ptr<ReportDocument> report = run.run();
        ReportViewer viewer;
        viewer.setReport(report.get());
        QVERIFY(viewer.isBusy());
        QCOMPARE(viewer.pageCount(), 1);
        QTimer::singleShot(0, &viewer, &ReportViewer::stop); // runs while the pages are laid out
        QSignalSpy finished(&viewer, &ReportViewer::finished);
        QVERIFY(finished.wait());
        QVERIFY(!viewer.isBusy());
        QVERIFY(viewer.reportPages() > 50);
        QVERIFY2(viewer.pageCount() > 1 && viewer.pageCount() < viewer.reportPages(), qPrintable(QString::number(viewer.pageCount())));
        QVERIFY(viewer.findChild<QLabel*>("lblPage")->text().contains("stopped"));

        const QString old = m_folder->file("old.pdf");
        QVERIFY(writeFile(old, "the last good report"));
        QTimer::singleShot(0, &viewer, &ReportViewer::stop);
        QVERIFY(!viewer.savePdf(old));
        QVERIFY(!viewer.isBusy());
        QCOMPARE(fileContents(old), QByteArray("the last good report"));
        QCOMPARE(QDir(m_folder->path()).entryList({"old.pdf*"}), QStringList{"old.pdf"});
        viewer.setReport(nullptr);
    }

    // Opened for a record module, the screen starts from the module's own record (for the
    // customers, with the type's name too: e2e.tst_program opens it there from the Report operation).
    void prefillFromRecordModule_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("caption");
        QTest::newRow("news") << "KKNews" << 0 << "News Print";
        QTest::newRow("survey updates") << "KKSUpdate" << 2 << "Survey Analysis";
    }
    void prefillFromRecordModule()
    {
        QFETCH(QString, module);
        QFETCH(int, field);
        RecordEngine engine;
        RecordScreen* screen = engine.open(module);
        QVERIFY(screen);
        QVERIFY(!screen->text(field).isEmpty());
        m_screen = std::make_unique<KKReport>(QString());
        QTEST(m_screen->windowTitle(), "caption");
        QCOMPARE(child<QLineEdit>("txtReport1")->text(), screen->text(field));
        m_screen.reset();
        screen->close();
    }

    // A click or Enter on a day takes it; Esc or leaving the calendar changes nothing.
    void calendars_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("from, click") << 1 << "click" << "06/03/2025";
        QTest::newRow("to, enter") << 2 << "enter" << "06/03/2025";
        QTest::newRow("from, escape") << 1 << "escape" << "06/10/2025";
        QTest::newRow("to, focus lost") << 2 << "leave" << "06/10/2025";
    }
    void calendars()
    {
        QFETCH(int, which);
        QFETCH(QString, how);
        open(52).show();
        QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
        const QByteArray n = QByteArray::number(which);
        auto* calendar = child<QCalendarWidget>("monSel" + n);
        auto* box = child<QLineEdit>("txtReport" + n);
        QVERIFY(calendar->isHidden());
        child<QToolButton>("cmdList" + n)->click();
        QVERIFY(calendar->isVisible());
        QTRY_VERIFY(calendar->isAncestorOf(QApplication::focusWidget()) || calendar->hasFocus());
        QWidget* days = calendar->findChild<QTableView*>();
        const QDate day(2025, 6, 3);
        if (how == "click") {
            emit calendar->clicked(day);
        } else if (how == "enter") {
            calendar->setSelectedDate(day);
            QTest::keyClick(days, Qt::Key_Return);
        } else if (how == "escape") {
            calendar->setSelectedDate(day);
            QTest::keyClick(days, Qt::Key_Escape);
            QVERIFY(m_screen->isVisible()); // Esc closes the calendar, not the screen
        } else {
            child<QComboBox>("cmbField")->setFocus();
        }
        QTRY_VERIFY(calendar->isHidden());
        QTEST(box->text(), "expected");
    }

    // The clause spliced into each kind of statement (whole statements run in tst_reportpdf), the
    // same on every desktop: dates month first whatever the locale; a value that does not fit is
    // refused with no clause.
    void statement_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("clause");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("message"); // empty: accepted

        const QDate jan1(2024, 1, 1), jan31(2024, 1, 31);
        QTest::newRow("address list, type 3") << 41 << "3" << "Retail" << QDate() << QDate() << " And ( a.CType =3 ) "
                                              << "3- Retail" << "";
        QTest::newRow("labels, value typed with blanks") << 44 << " 2 " << "Trade" << QDate() << QDate()
                                                         << " And ( a.CType =2 ) " << " 2 - Trade" << "";
        QTest::newRow("type summary, prefix In") << 54 << "In" << "" << QDate() << QDate()
                                                 << " And ( a.CCountry Like 'In%' ) " << "In" << "";
        QTest::newRow("quote in a prefix is spliced unchanged") << 54 << "O'Br" << "" << QDate() << QDate()
                                                                << " And ( a.CCountry Like 'O'Br%' ) " << "O'Br" << "";
        QTest::newRow("send news, January") << 50 << "01/01/2024" << "" << jan1 << jan31
                                            << " And ( a.EDate Between #01/01/2024# And #01/31/2024# ) "
                                            << "01/01/2024 To 01/31/2024" << "";
        QTest::newRow("email survey, one day") << 52 << "01/31/2024" << "" << jan31 << jan31
                                               << " And ( a.EDate Between #01/31/2024# And #01/31/2024# ) "
                                               << "01/31/2024 To 01/31/2024" << "";
        QTest::newRow("survey analysis, survey 2") << 56 << "2" << "" << QDate() << QDate() << " And ( a.EId =2 ) "
                                                   << "2- " << "";
        QTest::newRow("no criterion: whole table") << 55 << "  " << "Retail" << QDate() << QDate() << "" << "-" << "";
        QTest::newRow("no criterion on a date range") << 51 << "" << "" << jan1 << jan31 << "" << "-" << "";
        QTest::newRow("picked type not numeric") << 41 << "Retail" << "" << QDate() << QDate() << "" << "-"
                                                 << "Invalid Criteria!";
        QTest::newRow("from-date missing") << 50 << "01/01/2024" << "" << QDate() << jan31 << "" << "-" << "Invalid Criteria!";
    }
    void statement()
    {
        QFETCH(int, number);
        QFETCH(QString, value);
        QFETCH(QString, typeName);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const ReportDef* report = ReportCatalogue::find(number);
        QVERIFY(report);
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Finnish, QLocale::Finland), QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
            QLocale::setDefault(locale);
            const ReportCriterion c = ReportCriterion::build(*report, {value, typeName, to.toString("MM/dd/yyyy"), from, to});
            QTEST(ReportCriterion::message(c.check), "message");
            QTEST(c.clause, "clause");
            QTEST(c.description, "description");
        }
    }
};

QTEST_MAIN(KKReportTest)
#include "tst_kkreport.moc"
