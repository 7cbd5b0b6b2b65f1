#include "EngineFixture.h"

#include "engine/KKAccess.h"

#include <QLineEdit>

// Module hooks (names beside master ids, the user rule) and the permission checks.
class HooksTest : public QObject {
    Q_OBJECT

    static void insertCustomer(EngineFixture& f, const QString& type)
    {
        f.folder.exec("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast, CCompany, CAddr1, CAddr2, CCity, CState, "
                      "CCountry, CZipCode, CTelOff, CTelHome, CTelMob, CFax, CEmail, CWebsite, CType, CActive, "
                      "CRemarks) VALUES ('2024-01-01', 'Mr', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', "
                      "'L', 'M', 'n@example.com', 'O', " + type + ", 'Y', 'R')");
    }

private slots:
    void typeNameShownOrEmpty()
    {
        EngineFixture f;
        const QString type = f.addType("Partner");
        insertCustomer(f, type);
        insertCustomer(f, "0");
        f.open("KKCustomer");
        QCOMPARE(f.screen()->listLabel(18)->text(), QString()); // id 0
        f.run(Operation::First);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("Partner"));
        f.folder.exec("DELETE FROM kmCustType");
        f.run(Operation::Last);
        f.run(Operation::First);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString()); // the type was deleted
    }

    void refusalsBySchemeAndUser()
    {
        struct Case { const char* screen; Operation op; const char* login; const char* notice; };
        const Case cases[] = {
            {"KKEnterprise", Operation::Add, "Chief", "Add Disabled!"},   {"KKPreference", Operation::Delete, "Chief", "Delete Disabled!"},
            {"KKCustomize", Operation::Xerox, "Chief", "Xerox Disabled!"}, {"KKUser", Operation::Add, "mary", "Add Disabled!"},
            {"KKUser", Operation::Modify, "mary", "Modify Disabled!"},      {"KKEnterprise", Operation::Modify, "mary", "Modify Disabled!"},
            {"KKUser", Operation::Delete, "cHiEf", "Delete Disabled!"},     {"KKUser", Operation::Xerox, "Chief", "Xerox Disabled!"},
        };
        for (const Case& c : cases) {
            EngineFixture f;
            state().LoginId = c.login;
            f.open(c.screen);
            f.messages.clear();
            f.run(c.op);
            QVERIFY2(f.messages.shown == QStringList{c.notice}, c.screen);
            QVERIFY(!f.editing());
        }
        // The administrator, in any letter case, may add users and modify the enterprise.
        EngineFixture f;
        state().LoginId = "cHIEF";
        f.open("KKUser");
        f.run(Operation::Add);
        QVERIFY(f.editing());
        f.run(Operation::Cancel);
        f.run(Operation::Exit);
        f.open("KKEnterprise");
        f.run(Operation::Modify);
        QVERIFY(f.editing());
    }

    void deleteDeniedByCustomization()
    {
        EngineFixture f;
        f.addType("A");
        state().CAllowDele = "N";
        f.open("KKCustType");
        f.run(Operation::Delete);
        QCOMPARE(f.messages.shown, QStringList{"Delete Denied!"});
        QCOMPARE(f.folder.count("kmCustType"), 1);
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
        onNextModal([](QWidget* w) {
            auto* p = static_cast<KKAccess*>(w);
            QTest::keyClicks(p->codeBox(), "access");
            QTest::keyClick(p->codeBox(), Qt::Key_Return);
        });
        f.run(Operation::Modify);
        QVERIFY(!f.editing());
        QVERIFY(f.messages.shown.isEmpty());

        // Esc after the right code grants like Enter.
        onNextModal([](QWidget* w) {
            auto* p = static_cast<KKAccess*>(w);
            QTest::keyClicks(p->codeBox(), "Access");
            QTest::keyClick(p->codeBox(), Qt::Key_Escape);
        });
        f.run(Operation::Modify);
        QVERIFY(f.editing());
        f.run(Operation::Cancel);

        // Delete asks for the code first, then confirms.
        onNextModal([](QWidget* w) {
            auto* p = static_cast<KKAccess*>(w);
            QTest::keyClicks(p->codeBox(), "Access");
            QTest::keyClick(p->codeBox(), Qt::Key_Return);
        });
        f.run(Operation::Delete);
        QCOMPARE(f.messages.shown.first(), QString("Confirm Delete?"));
        QCOMPARE(f.folder.count("kmCustType"), 0);
    }
};

QTEST_MAIN(HooksTest)
#include "tst_hooks.moc"
