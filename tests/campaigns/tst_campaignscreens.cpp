#include "CampaignFixture.h"

#include "campaigns/DeliveryLogView.h"
#include "campaigns/KKSelect.h"
#include "engine/DataGrid.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>

namespace {
// Row n of the Selection screen's criteria, filled in as a user would: "field|operator|value".
void fill(KKSelect& select, int n, const QString& row)
{
    select.findChild<QComboBox*>(QStringLiteral("cmbField%1").arg(n))->setCurrentText(row.section('|', 0, 0));
    select.findChild<QComboBox*>(QStringLiteral("cmbOperator%1").arg(n))->setCurrentText(row.section('|', 1, 1));
    select.findChild<QLineEdit*>(QStringLiteral("txtInquiry%1").arg(n))->setText(row.section('|', 2));
}

// The Selection screen opened on the fixture's campaign.
struct Selection {
    explicit Selection(ScreenFixture& f) : select(*f.screen) { select.load(); }
    template <class T>
    T* child(const char* name) { return select.findChild<T*>(name); }
    int previewRows() { return child<DataGrid>("grdSelect")->rowCount() - 1; }
    KKSelect select;
};

// Asha and Ravi (India) and Anna (Germany) are of the campaign's type; Anil is not.
void addSelectionCustomers(ScreenFixture& f)
{
    f.addCustomer(f.type, "'Asha'", "'asha@example.in'");
    f.addCustomer(f.type, "'Anna'", "'anna@example.de'", "'Germany'");
    f.addCustomer(f.type, "'Ravi'", "'ravi@example.in'");
    f.addCustomer(f.otherType, "'Anil'", "'anil@example.in'");
}
}

class TestCampaignScreens : public QObject {
    Q_OBJECT
private slots:
    void screensCarryTheirSendRow_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("caption");
        QTest::newRow("news") << "KKSNews" << "Send News >";
        QTest::newRow("lead") << "KKMLead" << "Market Lead >";
        QTest::newRow("survey") << "KKESurvey" << "Email Survey >";
    }
    void screensCarryTheirSendRow()
    {
        QFETCH(QString, screen);
        TestDataFolder folder;
        ScriptedMessages messages;
        RecordEngine engine;
        RecordScreen* s = engine.open(screen);
        QTEST(s->findChild<QPushButton*>("cmdSend")->text(), "caption");
        QCOMPARE(s->findChild<QLabel*>("lblField_7")->text(), QStringLiteral("."));
        QVERIFY(!s->findChild<QProgressBar*>("prgSend")->isVisible());
        s->close();
    }

    // Send is refused, with the validation message only, while the record is not valid; a run
    // from the screen writes nothing to the database, not even the record's sent date.
    void sendValidatesAndRunWritesNothing()
    {
        ScreenFixture f;
        f.addCustomer(f.type, "'A'", "'a@example.com'");
        const QString sent = f.screen->text(5);
        f.screen->setText(5, QString());
        f.button("cmdSend")->click();
        QVERIFY(!f.extra()->isRunning());
        QCOMPARE(f.status(), QStringLiteral("."));
        QCOMPARE(f.messages.titles.size(), 1); // the validation message only
        QVERIFY(f.lastLog().isEmpty());

        f.screen->setText(5, sent);
        auto snapshot = [&] {
            QStringList all;
            for (const char* t : {"ktSNews", "ktNews", "ktCustomer", "kmCustType", "kaPreference"})
                all << QString::number(f.folder.count(t));
            return all << f.folder.scalar("Select SSentDate From ktSNews") << f.folder.scalar("Select NMessage From ktNews");
        };
        const QStringList before = snapshot();
        f.button("cmdSend")->click();
        QVERIFY(f.waitUntilIdle());
        QCOMPARE(f.server.commands().count("MAIL"), 1);
        QCOMPARE(snapshot(), before);
    }

    // The Selection screen, opened from the field's button, writes " ( CCountry = 'India' )" and
    // the run mails by that criterion, not yet saved; the status line's accessible name follows
    // every status.
    void selectionThenSendMailsExactlyTheMatches()
    {
        ScreenFixture f;
        f.addCustomer(f.type, "'Asha'", "'asha@example.in'");
        f.addCustomer(f.type, "'Hans'", "'hans@example.de'", "'Germany'");

        bool shown = false;
        onNextModal([&](QWidget* w) {
            shown = true;
            auto* select = qobject_cast<KKSelect*>(w);
            QVERIFY(select);
            fill(*select, 1, "CCountry|=|India");
            select->findChild<QPushButton*>("cmdView")->click();
            select->findChild<QPushButton*>("cmdOk")->click();
        });
        Engine::RunOperation(Operation::Modify); // the field buttons work in Edit
        f.screen->listButton(4)->click();
        QVERIFY(shown);
        QCOMPARE(f.screen->text(4), QStringLiteral(" ( CCountry = 'India' )"));

        auto* line = f.screen->findChild<QLabel*>("lblField_7");
        const auto heard = [line] { return QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name); };
        QCOMPARE(heard(), QStringLiteral("Status: ."));
        f.button("cmdSend")->click();
        QStringList statuses;
        connect(f.extra()->run(), &CampaignRun::statusChanged, line, [&](const QString& text) {
            QCOMPARE(heard(), "Status: " + text);
            statuses << text;
        });
        QVERIFY(f.waitUntilIdle());
        QVERIFY(f.server.waitFor(1));
        QTest::qWait(200);
        QCOMPARE(f.recipients(), QStringList{"asha@example.in"});
        QCOMPARE(f.status(), QStringLiteral("."));
        QCOMPARE(statuses, (QStringList{"Linking: asha@example.in ..", "Sending: asha@example.in ..", "."}));
    }

    void stopInMidRunKeepsLogAndWindow()
    {
        ScreenFixture f;
        f.addCustomers(500, "c");

        f.button("cmdSend")->click();
        QVERIFY(f.extra()->isRunning());
        QVERIFY(f.server.waitFor(20));
        QVERIFY(!f.button("cmdSend")->isEnabled());
        f.button("cmdSend")->click(); // a second run cannot start
        f.screen->close();            // nor can the screen close under the run
        QVERIFY(f.screen && f.screen->isVisible());
        QVERIFY(!f.engine.closeActiveModule()); // and the main window's end waits for it too
        QVERIFY(f.screen->findChild<QProgressBar*>("prgSend")->text().endsWith(" of 500"));

        f.button("cmdStop")->click();
        QVERIFY(f.waitUntilIdle());
        QCOMPARE(f.status(), QStringLiteral("."));
        QCOMPARE(f.messages.shown, QStringList{"Message(s) Sent!"});
        QTest::qWait(300);
        // One line per recipient handed over: sent, or (the one composed ahead) not sent.
        const QStringList lines = f.deliveryLines();
        QVERIFY(lines.size() < 500);
        QCOMPARE(lines.filter("\tsent").size(), f.server.files().size());
        QVERIFY(lines.size() - f.server.files().size() <= 1);
        QCOMPARE(lines.filter("\tnot sent: the run was stopped").size(), lines.size() - f.server.files().size());
        QCOMPARE(f.screen->findChild<QProgressBar*>("prgSend")->value(), lines.size());
        QCOMPARE(QDir(f.folder.file("Docs/Sent")).entryList({"*.log"}).size(), 1);

        // The window lives on and the screen closes once the run is over.
        QVERIFY(f.button("cmdSend")->isEnabled());
        f.screen->close();
        QCoreApplication::processEvents();
        QVERIFY(!f.screen || !f.screen->isVisible());
    }

    // Test Send: one message, merged with the first recipient, to the typed address; no delivery log.
    // However long the paced run would be, it asks nothing; Send asks first, and No sends nothing.
    void testSendGoesToTypedAddressOnly()
    {
        ScreenFixture f;
        state().PRateLimit = "100";
        f.addCustomers(301);
        f.screen->findChild<QLineEdit*>("txtTestAddress")->setText(" me@office.test ");
        f.button("cmdTestSend")->click();
        QVERIFY(f.waitUntilIdle());
        QVERIFY(f.server.waitFor(1));
        QTest::qWait(200);
        QCOMPARE(f.recipients(), QStringList{"me@office.test"});
        QCOMPARE(f.letter(0), QStringLiteral("Hello a0"));
        // Its unsubscribe token names no customer, so following it suppresses no one.
        const auto named = f.unsubscribeRecipient(ReceivedMail(f.server.message(0)));
        QVERIFY(named);
        QCOMPARE(named->customerId, 0);
        QCOMPARE(f.messages.shown, QStringList{"Message(s) Sent!"});
        QVERIFY(f.lastLog().isEmpty());

        f.messages.answers = {false};
        f.button("cmdSend")->click();
        QVERIFY(f.waitUntilIdle());
        QCOMPARE(f.messages.shown.last(), QStringLiteral("301 Messages At 100 Per Minute Take About 4 Minute(s). Send Now?"));
        QCOMPARE(f.server.commands().count("MAIL"), 1);
    }

    // The last run's log by outcome; "Send Failed Again" tries the refused address alone.
    void logListsOutcomesAndSendsFailedAgain()
    {
        ScreenFixture f;
        f.addCustomers({"a@example.com", "refuse-b@example.com", "c@example.com", "A@example.com"});
        f.button("cmdSend")->click();
        QVERIFY(f.waitUntilIdle());
        QCOMPARE(f.server.commands().count("RCPT"), 3);

        const auto shown = [](DeliveryLogView* view, const QString& outcome) {
            view->findChild<QComboBox*>("cmbOutcome")->setCurrentText(outcome);
            const QAbstractItemModel* rows = view->findChild<QTableView*>("tblLog")->model();
            QStringList lines;
            for (int r = 0; r < rows->rowCount(); ++r)
                lines << rows->index(r, 0).data().toString() + " " + rows->index(r, 1).data().toString();
            lines.sort(); // answers and skips may be logged in either order
            return lines;
        };
        bool opened = false;
        onModal<DeliveryLogView>([&](DeliveryLogView* view) {
            opened = true;
            const auto closed = qScopeGuard([view] { if (view->isVisible()) view->reject(); }); // also when a check fails
            QCOMPARE(shown(view, "All").size(), 4);
            QCOMPARE(shown(view, "Failed"), QStringList{"refuse-b@example.com Failed"});
            QCOMPARE(shown(view, "Skipped"), QStringList{"A@example.com Skipped"});
            view->findChild<QLineEdit*>("txtAddress")->setText("a@EXAMPLE");
            QCOMPARE(shown(view, "All"), (QStringList{"A@example.com Skipped", "a@example.com Sent"}));
            view->findChild<QPushButton*>("cmdSendFailed")->click();
        });
        f.button("cmdLog")->click();
        QVERIFY(opened);
        QVERIFY(f.waitUntilIdle());
        QCOMPARE(f.server.commands().count("RCPT"), 4);
        QCOMPARE(f.server.files().size(), 2);
        const QStringList again = f.deliveryLines();
        QCOMPARE(again.size(), 1);
        QVERIFY(again.first().startsWith("refuse-b@example.com\t"));

        QStringList latest; // the log now shows the run just made
        onModal<DeliveryLogView>([&](DeliveryLogView* view) {
            latest = shown(view, "All");
            view->reject();
        });
        f.button("cmdLog")->click();
        QCOMPARE(latest, QStringList{"refuse-b@example.com Failed"});
        QVERIFY(!f.extra()->isRunning());
    }

    // View builds the criterion from the two rows, previews its customers and writes field 4; a
    // value that does not fit its column stops it, with field 4 and the preview as they were. x
    // leaves field 4 as View wrote it; OK writes the screen's criterion (on an empty field 4: everyone).
    void criterionWrittenByViewAndOk_data()
    {
        QTest::addColumn<QString>("row1"); // field|operator|value
        QTest::addColumn<QString>("join");
        QTest::addColumn<QString>("row2");
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("refused");

        QTest::newRow("nothing entered") << "CFirst|Like|" << "" << "CFirst|Like|" << " ( 1=1 )" << 3 << false;
        QTest::newRow("like, value trimmed") << "CFirst|Like| An " << "" << "" << " ( CFirst Like 'An%' )" << 1 << false;
        QTest::newRow("equal text") << "CCountry|=|India" << "" << "" << " ( CCountry = 'India' )" << 2 << false;
        QTest::newRow("number with decimal comma") << "EId|=|2,5" << "" << "" << " ( EId = 2.5 )" << 0 << false;
        QTest::newRow("date") << "EDate|=|2/3/2026" << "" << "" << " ( EDate = #02/03/2026# )" << 3 << false;
        QTest::newRow("row 2 only, Or") << "CFirst|Like|" << "Or" << "CCountry|=|India" << " ( 1=1 Or CCountry = 'India' )" << 3 << false;
        QTest::newRow("both rows, And") << "CFirst|Like|A" << "And" << "CCountry|=|India"
                                        << " ( CFirst Like 'A%' And CCountry = 'India' )" << 1 << false;
        QTest::newRow("row 2 without join ignored") << "CFirst|Like|R" << "" << "CCountry|=|Germany" << " ( CFirst Like 'R%' )" << 1
                                                    << false;
        QTest::newRow("not a number") << "EId|=|abc" << "And" << "" << " ( 1=1 )" << 3 << true;
        QTest::newRow("not a date") << "EDate|=|31/31/2026" << "And" << "" << " ( 1=1 )" << 3 << true;
        QTest::newRow("row 2 not a number") << "CFirst|Like|" << "And" << "CType|=|x" << " ( 1=1 )" << 3 << true;
    }
    void criterionWrittenByViewAndOk()
    {
        QFETCH(QString, row1);
        QFETCH(QString, join);
        QFETCH(QString, row2);
        QFETCH(QString, criterion);
        QFETCH(int, count);
        QFETCH(bool, refused);

        ScreenFixture f;
        addSelectionCustomers(f);
        Selection s(f);
        fill(s.select, 1, row1);
        s.child<QComboBox>("cmbJoin")->setCurrentText(join);
        if (!row2.isEmpty())
            fill(s.select, 2, row2);
        f.messages.clear();
        s.select.view();
        QCOMPARE(f.screen->text(4), criterion);
        QCOMPARE(f.messages.shown, QStringList{refused ? QStringLiteral("Invalid Criteria!") : QStringLiteral("Total Records: %1").arg(count)});
        QCOMPARE(s.previewRows(), count);
        if (!refused)
            QCOMPARE(s.select.criterion(), criterion);

        fill(s.select, 1, "CCountry|=|Germany");
        s.select.reject();
        QCOMPARE(f.screen->text(4), criterion);
        f.screen->setText(4, QString());
        Selection(f).select.ok();
        QCOMPARE(f.screen->text(4), QStringLiteral(" ( 1=1 )"));
    }

    void openingPreviewsFieldFour_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("criterion of the record") << "type" << " ( CCountry = 'Germany' )" << QStringList{} << 21 << 1;
        QTest::newRow("no customer of the type") << "none" << " ( 1=1 )" << QStringList{"No Records!"} << 21 << 0;
        QTest::newRow("no type chosen") << "" << " ( 1=1 )" << QStringList{"Error!"} << 0 << 0;
        QTest::newRow("criterion the database rejects") << "type" << " ( CNoSuch = 1 )" << QStringList{"Error!"} << 0 << 0;
    }
    // The customer table carries a password column: it is no choice for a criterion (not counted
    // in the columns), and the preview grid hides it and holds none of its values.
    void openingPreviewsFieldFour()
    {
        QFETCH(QString, type);
        QFETCH(QString, criteria);
        QFETCH(QStringList, shown);
        QFETCH(int, columns);
        QFETCH(int, rows);
        ScreenFixture f(criteria);
        f.folder.exec("ALTER TABLE ktCustomer ADD COLUMN CPasscd TEXT(20)");
        addSelectionCustomers(f);
        f.folder.exec("UPDATE ktCustomer SET CPasscd = 'Secret-' || EId");
        f.screen->setText(3, type == "type" ? f.type : type == "none" ? f.addType("Empty") : QString());
        f.messages.clear();
        Selection s(f);
        QCOMPARE(f.messages.shown, shown);
        QCOMPARE(s.child<QComboBox>("cmbField1")->count(), columns);
        QCOMPARE(s.child<QComboBox>("cmbField2")->count(), columns);
        QCOMPARE(s.previewRows(), rows);
        if (columns)
            QCOMPARE(s.child<QComboBox>("cmbOperator1")->currentText(), QStringLiteral("Like"));
        auto* grid = s.child<DataGrid>("grdSelect");
        int passwordColumns = 0;
        for (int c = 0; c < grid->columnCount(); ++c) {
            const bool password = grid->cellText(0, c) == QLatin1String("CPasscd");
            passwordColumns += password;
            QCOMPARE(grid->isColumnHidden(c), password);
            for (int r = 1; r < grid->rowCount(); ++r)
                QVERIFY2(!grid->cellText(r, c).startsWith("Secret-"), "a password is in the grid");
        }
        QCOMPARE(passwordColumns, rows > 0 ? 1 : 0);
    }
};

QTEST_MAIN(TestCampaignScreens)
#include "tst_campaignscreens.moc"
