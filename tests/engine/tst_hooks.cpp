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
        f.run(9);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("Partner"));
        f.folder.exec("DELETE FROM kmCustType");
        f.run(12);
        f.run(9);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString()); // the type was deleted
    }

    void refusalsBySchemeAndUser()
    {
        struct Case { const char* screen; int op; const char* login; const char* notice; };
        const Case cases[] = {
            {"KKEnterprise", 1, "Chief", "Add Disabled!"},   {"KKPreference", 3, "Chief", "Delete Disabled!"},
            {"KKCustomize", 6, "Chief", "Xerox Disabled!"}, {"KKUser", 1, "mary", "Add Disabled!"},
            {"KKUser", 2, "mary", "Modify Disabled!"},      {"KKEnterprise", 2, "mary", "Modify Disabled!"},
            {"KKUser", 3, "cHiEf", "Delete Disabled!"},     {"KKUser", 6, "Chief", "Xerox Disabled!"},
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
        f.run(1);
        QVERIFY(f.editing());
        f.run(7);
        f.run(17);
        f.open("KKEnterprise");
        f.run(2);
        QVERIFY(f.editing());
    }

    void deleteDeniedByCustomization()
    {
        EngineFixture f;
        f.addType("A");
        state().CAllowDele = "N";
        f.open("KKCustType");
        f.run(3);
        QCOMPARE(f.messages.shown, QStringList{"Delete Denied!"});
        QCOMPARE(f.folder.count("kmCustType"), 1);
    }

    void userRuleOnSave()
    {
        EngineFixture f;
        f.open("KKUser");
        f.run(9); // user 1
        f.run(2);
        f.set(2, "boss");
        f.run(5);
        QCOMPARE(f.folder.scalar("Select ULogin From kaUser Where EId= 1"), QString("Chief"));

        f.run(1);
        for (int i = 2; i <= 6; ++i)
            f.set(i, "x");
        f.set(2, "cHiEf");
        f.run(5);
        const QString id = f.text(0);
        QCOMPARE(f.folder.scalar("Select ULogin From kaUser Where EId= " + id), QString("cHiEf(New)"));

        f.run(2);
        f.set(2, "CHIEF");
        f.run(5);
        QCOMPARE(f.folder.scalar("Select ULogin From kaUser Where EId= " + id), "CHIEF" + id);
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
        f.run(2);
        QVERIFY(!f.editing());
        QVERIFY(f.messages.shown.isEmpty());

        // Esc after the right code grants like Enter.
        onNextModal([](QWidget* w) {
            auto* p = static_cast<KKAccess*>(w);
            QTest::keyClicks(p->codeBox(), "Access");
            QTest::keyClick(p->codeBox(), Qt::Key_Escape);
        });
        f.run(2);
        QVERIFY(f.editing());
        f.run(7);

        // Delete asks for the code first, then confirms.
        onNextModal([](QWidget* w) {
            auto* p = static_cast<KKAccess*>(w);
            QTest::keyClicks(p->codeBox(), "Access");
            QTest::keyClick(p->codeBox(), Qt::Key_Return);
        });
        f.run(3);
        QCOMPARE(f.messages.shown.first(), QString("Confirm Delete?"));
        QCOMPARE(f.folder.count("kmCustType"), 0);
    }
};

QTEST_MAIN(HooksTest)
#include "tst_hooks.moc"
