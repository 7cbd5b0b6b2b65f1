#include "EngineFixture.h"

#include "engine/KKAccess.h"

#include <QLineEdit>

// Module hooks (names beside master ids, the user rule) and the permission checks.
class HooksTest : public QObject {
    Q_OBJECT

    // The access code window's answer: the code typed and the key that closes it.
    static void answerAccessCode(const char* code, Qt::Key key)
    {
        onNextModal([code, key](QWidget* w) {
            auto* p = static_cast<KKAccess*>(w);
            QTest::keyClicks(p->codeBox(), QLatin1String(code));
            QTest::keyClick(p->codeBox(), key);
        });
    }

private slots:
    // A customer's type shows its id whole (a million and above too) and its name beside it.
    void typeNameShownOrEmpty()
    {
        EngineFixture f;
        f.folder.exec("INSERT INTO kmCustType (EId, EDate, CCategory, CRemarks) VALUES (2147483647, '2024-01-01', 'Partner', 'r')");
        for (const char* type : {"2147483647", "0"})
            f.folder.exec(QString("INSERT INTO ktCustomer (EDate, CFirst, CType) VALUES ('2024-01-01', 'A', %1)").arg(type));
        f.open("KKCustomer");
        QCOMPARE(f.screen()->listLabel(18)->text(), QString()); // id 0
        f.run(Operation::First);
        QCOMPARE(f.text(18) + ' ' + f.screen()->listLabel(18)->text(), QString("2147483647 Partner"));
        f.folder.exec("DELETE FROM kmCustType");
        f.run(Operation::Last);
        f.run(Operation::First);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString()); // the type was deleted
    }

    // Who may do what on the administration screens, and deletion turned off for the other
    // screens. The screen stands on its last record: user 2 ("mary") on the user screen,
    // unless the row says to go to user 1.
    void permissionsBySchemeAndUser_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<Operation>("op");
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("onUserOne");
        QTest::addColumn<QString>("notice"); // empty: allowed
        const QString chief = "cHiEf";
        QTest::newRow("enterprise add") << "KKEnterprise" << Operation::Add << chief << false << "Add Disabled!";
        QTest::newRow("preference delete") << "KKPreference" << Operation::Delete << chief << false << "Delete Disabled!";
        QTest::newRow("customize xerox") << "KKCustomize" << Operation::Xerox << chief << false << "Xerox Disabled!";
        QTest::newRow("user xerox") << "KKUser" << Operation::Xerox << chief << false << "Xerox Disabled!";
        QTest::newRow("user add by another") << "KKUser" << Operation::Add << "mary" << false << "Add Disabled!";
        QTest::newRow("user modify by another") << "KKUser" << Operation::Modify << "mary" << false << "Modify Disabled!";
        QTest::newRow("user delete by another") << "KKUser" << Operation::Delete << "mary" << false << "Delete Disabled!";
        QTest::newRow("enterprise modify by another") << "KKEnterprise" << Operation::Modify << "mary" << false << "Modify Disabled!";
        QTest::newRow("user 1 delete by administrator") << "KKUser" << Operation::Delete << chief << true << "Delete Disabled!";
        QTest::newRow("customer type delete, deletion off") << "KKCustType" << Operation::Delete << chief << false
                                                           << "Delete Denied!";
        QTest::newRow("user add by administrator") << "KKUser" << Operation::Add << chief << false << "";
        QTest::newRow("user modify by administrator") << "KKUser" << Operation::Modify << chief << false << "";
        QTest::newRow("user delete by administrator") << "KKUser" << Operation::Delete << chief << false << "";
        QTest::newRow("enterprise modify by administrator") << "KKEnterprise" << Operation::Modify << "CHIEF" << false << "";
    }

    void permissionsBySchemeAndUser()
    {
        QFETCH(QString, screen);
        QFETCH(Operation, op);
        QFETCH(QString, login);
        QFETCH(bool, onUserOne);
        QFETCH(QString, notice);
        EngineFixture f;
        state().CAllowDele = "N"; // the user screen follows its own rule, not this one
        f.folder.exec("INSERT INTO kaUser (EDate, ULogin, UPasscd, UHint, UMode, URemarks) "
                      "VALUES ('2024-01-01', 'mary', 'Pass-1', 'h', 'U', 'r')");
        f.addType("A");
        state().LoginId = login;
        f.open(screen);
        if (onUserOne)
            f.run(Operation::First);
        const QString rows = "Select (Select Count(*) From kaUser) || (Select Count(*) From kmCustType)";
        const QString before = f.folder.scalar(rows);
        f.messages.clear();
        f.run(op);
        if (!notice.isEmpty()) {
            QCOMPARE(f.messages.shown, QStringList{notice});
            QVERIFY(!f.editing());
            QCOMPARE(f.folder.scalar(rows), before);
        } else if (op == Operation::Delete) {
            QCOMPARE(f.messages.shown, QStringList{"Confirm Delete?"});
            QCOMPARE(f.folder.scalar("Select Count(ULogin) From kaUser Where ULogin = 'mary'"), QString("0"));
        } else {
            QVERIFY(f.editing());
        }
    }

    void accessCodeBeforeModifyAndDelete()
    {
        EngineFixture f;
        f.addType("A");
        state().CModiPass = "Y";
        state().CDelePass = "Y";
        state().EPasscd = "Access";
        f.open("KKCustType");

        // Wrong letter case: refused silently.
        answerAccessCode("access", Qt::Key_Return);
        f.run(Operation::Modify);
        QVERIFY(!f.editing());
        QVERIFY(f.messages.shown.isEmpty());

        // Esc after the right code grants like Enter.
        answerAccessCode("Access", Qt::Key_Escape);
        f.run(Operation::Modify);
        QVERIFY(f.editing());
        f.run(Operation::Cancel);

        // Delete asks for the code first, then confirms.
        answerAccessCode("Access", Qt::Key_Return);
        f.run(Operation::Delete);
        QCOMPARE(f.messages.shown.first(), QString("Confirm Delete?"));
        QCOMPARE(f.folder.count("kmCustType"), 0);
    }
};

QTEST_MAIN(HooksTest)
#include "tst_hooks.moc"
