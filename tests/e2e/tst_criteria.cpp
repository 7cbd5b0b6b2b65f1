// Every screen that takes a condition typed by the user, attacked through that condition on the
// file and on the server: the condition reads only the table its screen lists, never kaUser,
// kaPreference or a password, and a refused one says so once and changes nothing. Each screen
// is attacked once: the forms of attack are the rows of platform.tst_statements.
#include "common/PgTestServer.h"
#include "common/ProgramProcess.h"
#include "engine/EngineFixture.h"

#include "base/ProgramState.h"
#include "campaigns/CampaignRun.h"
#include "campaigns/KKSelect.h"
#include "engine/DataGrid.h"
#include "engine/KKInquiry.h"
#include "platform/Connection.h"
#include "platform/ReadScope.h"
#include "reports/KKReport.h"
#include "utilities/KKExport.h"
#include "utilities/KKFindRepl.h"
#include "utilities/TableBrowser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The texts of a grid's cells, row after row.
QString cells(const DataGrid* grid)
{
    QStringList out;
    for (int row = 1; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column)
            out << grid->cellText(row, column);
    return out.join(QLatin1Char('|'));
}

// The Selection screen opened on a Send News record whose Criteria field holds `criteria`.
struct SelectionScreen {
    SelectionScreen(EngineFixture& f, const QString& criteria)
    {
        f.folder.exec(QStringLiteral("INSERT INTO ktSNews (EDate, SNewsId, SCType, SCriteria, SSentDate, SRemarks) "
                                     "VALUES ('2026-12-01', 1, 1, '%1', '2026-12-02', '')")
                          .arg(QString(criteria).replace(QLatin1Char('\''), QStringLiteral("''"))));
        screen = f.open(QStringLiteral("KKSNews"));
        select = std::make_unique<KKSelect>(*screen);
        select->load();
    }
    QString listed() const { return cells(select->findChild<DataGrid*>(QStringLiteral("grdSelect"))); }
    RecordScreen* screen = nullptr;
    std::unique_ptr<KKSelect> select;
};

void criterion(TableBrowser& browser, const QString& column, const QString& op, const QString& value)
{
    browser.criteriaBox()->setCurrentText(column);
    browser.operatorBox()->setCurrentText(op);
    browser.valueBox()->setText(value);
}

}

class TstCriteria : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { addBackendRows(); }
    void init()
    {
        m_f = std::make_unique<EngineFixture>(folderOptions(m_server));
        m_f->folder.exec(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES ('2026-01-01', 'Retail', '')"));
        m_f->folder.exec(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CCountry, CEmail, CType) VALUES "
                                      "('2026-02-03', 'Asha', 'India', 'asha@example.in', 1), "
                                      "('2026-02-03', 'Anna', 'Germany', 'anna@example.de', 1)"));
        m_f->folder.exec(QStringLiteral("INSERT INTO ktNews (EDate, NType, NReference, NSubject, NMessage, NRemarks) "
                                      "VALUES ('2026-12-04', 1, 'ref', 'Offer', 'Hello', '')"));
        state().PMailType.clear(); // no mail leaves: the recipients are what counts
    }

    void cleanup() { m_f.reset(); }

    void screenReadsOnlyItsTable_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("typed");
        QTest::newRow("selection: union on kaUser in Criteria")
            << "selection" << " ( 0=1 ) UNION SELECT u.*, u.*, u.* FROM kaUser u";
        QTest::newRow("selection view: comment in a value") << "selection view" << "x'--";
        QTest::newRow("campaign: union on kaUser") << "campaign"
                                                   << " ( 0=1 ) UNION SELECT * FROM ktCustomer, kaUser WHERE 0=1";
        QTest::newRow("inquiry: comment in a value") << "inquiry" << "x'--";
        QTest::newRow("export: union on kaUser") << "export" << "x' UNION SELECT EId, ULogin || ':' || UPasscd FROM kaUser WHERE '1'='1";
        QTest::newRow("find: subquery on kaUser") << "find" << "x' Or CFirst In (SELECT ULogin FROM kaUser) Or 'a'='b";
        QTest::newRow("report: comment in a value") << "report" << "x'--";
    }
    void screenReadsOnlyItsTable()
    {
        QFETCH(QString, screen);
        QFETCH(QString, typed);
        m_f->messages.clear();
        m_listed.clear();
        const QHash<QString, void (TstCriteria::*)(const QString&)> attacks{
            {"selection", &TstCriteria::selection}, {"selection view", &TstCriteria::selectionView},
            {"campaign", &TstCriteria::campaign},   {"inquiry", &TstCriteria::inquiry},
            {"export", &TstCriteria::exportListing}, {"find", &TstCriteria::findListing},
            {"report", &TstCriteria::report}};
        (this->*attacks.value(screen))(typed);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(m_listed, QString());
        QCOMPARE(m_f->messages.count(ReadScope::message()), 1);
        QVERIFY2(!m_f->messages.shown.contains(QLatin1String("Error!")), qPrintable(m_f->messages.shown.join('|')));
        QCOMPARE(m_f->folder.count(QStringLiteral("ktCustomer")), 2);
    }

    void reportCommandRefuses()
    {
        QStringList database;
        if (onServer())
            database << QStringLiteral("--database") << state().DatabaseUrl;
        state().connection->close(); // the program opens the database itself
        QTemporaryDir dir;
        if (!onServer())
            QCOMPARE(runKorvina({QStringLiteral("--data"), dir.path(), QStringLiteral("--init")}).code, 0);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const ProcessRun run = runKorvina(QStringList{QStringLiteral("--data"), dir.path()} + database
                                          + QStringList{QStringLiteral("--report"), QStringLiteral("54"),
                                                        QStringLiteral("--criterion"),
                                                        QStringLiteral("x' ) UNION SELECT 0, ULogin, 1 FROM kaUser --"),
                                                        QStringLiteral("--pdf"), pdf});
        QCOMPARE(run.code, 4);
        QVERIFY2(run.errors.contains(ReadScope::message()), qPrintable(run.errors));
        QVERIFY(!run.errors.contains(QLatin1String("Chief")));
        QVERIFY(!QFileInfo::exists(pdf));
    }

private:
    // Each attacks one screen and notes in m_listed what it listed afterwards.
    void selection(const QString& typed)
    {
        const SelectionScreen s(*m_f, typed);
        m_listed = s.listed();
        QCOMPARE_EQ(s.screen->text(4), typed);
    }

    void selectionView(const QString& typed)
    {
        const SelectionScreen s(*m_f, QStringLiteral(" ( 1=1 )"));
        const QString before = s.listed();
        s.select->findChild<QComboBox*>(QStringLiteral("cmbField1"))->setCurrentText(QStringLiteral("CFirst"));
        s.select->findChild<QLineEdit*>(QStringLiteral("txtInquiry1"))->setText(typed);
        s.select->view();
        // Nothing changes: the preview, the Criteria field and the program's criterion.
        QCOMPARE_EQ(s.listed(), before);
        QCOMPARE_EQ(s.screen->text(4), QStringLiteral(" ( 1=1 )"));
        QCOMPARE_EQ(s.select->criterion(), QStringLiteral(" ( 1=1 )"));
    }

    void campaign(const QString& typed)
    {
        CampaignRun run({&CampaignFamily::of(CampaignKind::News), QStringLiteral("1"), QStringLiteral("1"),
                         QStringLiteral("1"), typed});
        QSignalSpy finished(&run, &CampaignRun::finished);
        QSignalSpy progress(&run, &CampaignRun::progressChanged);
        run.start();
        if (finished.isEmpty())
            finished.wait(30000);
        m_listed = progress.isEmpty() ? QString() : QStringLiteral("recipients listed");
    }

    void inquiry(const QString& typed)
    {
        m_f->open(QStringLiteral("KKCustomer"));
        KKInquiry screen;
        QVERIFY(screen.load());
        const QString before = cells(screen.grid());
        screen.fieldBox()->setCurrentText(QStringLiteral("CFirst"));
        screen.findChild<QLineEdit*>()->setText(typed);
        screen.search();
        QCOMPARE_EQ(cells(screen.grid()), before);
    }

    void exportListing(const QString& typed)
    {
        KKExport screen;
        screen.browser().fieldList()->findItems(QStringLiteral("CFirst"), Qt::MatchExactly).first()->setSelected(true);
        criterion(screen.browser(), QStringLiteral("CFirst"), QStringLiteral("="), typed);
        QCOMPARE_EQ(screen.browser().valueBox()->text(), typed);
        screen.browser().ListRecords();
        m_listed = cells(screen.browser().grid());
    }

    void findListing(const QString& typed)
    {
        KKFindRepl screen;
        criterion(screen.browser(), QStringLiteral("CFirst"), QStringLiteral("="), typed);
        screen.browser().ListRecords();
        m_listed = cells(screen.browser().grid());
    }

    void report(const QString& typed)
    {
        state().ReportNumber = 54;
        KKReport screen(QStringLiteral("Type Summary"));
        screen.findChild<QLineEdit*>(QStringLiteral("txtReport1"))->setText(typed);
        screen.view();
    }

    QString m_listed;
    PgTestServer m_server;
    std::unique_ptr<EngineFixture> m_f;
};

QTEST_MAIN(TstCriteria)
#include "tst_criteria.moc"
