#include "engine/EngineFixture.h"

// The administration modules: the Customize swatches and what saving the settings changes.
class AdminTest : public QObject {
    Q_OBJECT

    // A main window stand-in that records what the hooks ask of it while it lives.
    struct FakeMain : MainView {
        QStringList calls;
        FakeMain() { state().mainView = this; }
        ~FakeMain() override { state().mainView = nullptr; }
        void setStatusText(int panel, const QString& text) override { calls << QString("status%1=%2").arg(panel).arg(text); }
        void showEnterpriseName(const QString& name) override { calls << "comp=" + name; }
        void applyTexture() override { calls << "texture=" + state().CTexTure; }
        void setDashboardVisible(bool) override {}
        void refreshDashboard() override { calls << "dashboard"; }
        void setCommandMenus(CommandMode) override {}
        void closeProgram() override {}
        void mainLoadHook() override {}
    };

private slots:

    // The Customize pickers step through their swatches; saving the settings applies the look,
    // and saving the enterprise or the preferences updates the program.
    void savingSettingsUpdatesTheProgram()
    {
        EngineFixture f;
        FakeMain main;
        f.open("KKCustomize");
        f.run(Operation::Modify);
        QStringList colours;
        for (int k = 0; k < 10; ++k) {
            f.click(2);
            colours << f.text(2);
        }
        QCOMPARE(colours, QStringList({"16777215", "12632319", "12640511", "12648447", "12648384", "16777152",
                                       "16761024", "16761087", "14737632", "16777215"}));
        // The first step of the font, size, font colour and texture pickers.
        for (const auto& [field, first] : {std::pair{4, "Century"}, {5, "11"}, {6, "8388608"}, {3, "14737632"}}) {
            f.click(field);
            QCOMPARE(f.text(field), QString(first));
        }
        // The caption previews the colour.
        QCOMPARE(f.screen()->fieldLabel(3)->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
        // Cycling pickers of the same screen store their first letter.
        f.click(12);
        QCOMPARE(f.text(12), QString("Y"));

        f.set(2, "255");       // red back colour
        f.set(3, "65280");     // green texture
        f.set(7, "N");
        f.run(Operation::Save);
        QCOMPARE(state().CBackColor, QString("255"));
        QVERIFY(main.calls.contains("texture=65280"));
        f.run(Operation::Exit);
        QVERIFY(main.calls.contains("dashboard"));

        // A screen opened afterwards takes the new back colour on its labels.
        f.open("KKCustType");
        QCOMPARE(f.screen()->fieldLabel(2)->palette().color(QPalette::Window), QColor(255, 0, 0));
        f.run(Operation::Exit);

        // "Default Screen" Y leaves screens as designed.
        state().CDefaScrn = "Y";
        state().CBackColor = "65535";
        f.open("KKCustType");
        QVERIFY(f.screen()->fieldLabel(2)->palette().color(QPalette::Window) != QColor(255, 255, 0));
        f.run(Operation::Exit);

        f.open("KKEnterprise");
        f.run(Operation::Modify);
        f.set(3, "Harbour");
        f.set(14, "Secret");
        f.run(Operation::Save);
        QCOMPARE((QStringList{state().EShort, state().EPasscd}), (QStringList{"Harbour", "Secret"}));
        QVERIFY(main.calls.contains("comp=Harbour"));
        QVERIFY(main.calls.contains("status3=Harbour"));
        f.run(Operation::Exit);

        f.open("KKPreference");
        f.run(Operation::Modify);
        f.click(3);
        f.click(3); // OutlookDefault, SMTP -> "S"
        f.set(4, "mail.example.com");
        f.run(Operation::Save);
        QCOMPARE((QStringList{state().PMailType, state().PSmtpSrvr}), (QStringList{"S", "mail.example.com"}));
    }
    // The suppression list on its screen: an entry typed in is "by hand", an address is listed
    // once whatever its letter case, a malformed one is refused, and Delete takes it off.
    void suppressionListScreen_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("new address") << " jo@example.de " << "";
        QTest::newRow("listed, other case") << "ANN@Example.org" << "Already On The List!";
        QTest::newRow("no domain") << "ann@" << "Invalid Email Address!";
        QTest::newRow("a second mailbox") << "a@b.org <c@d.org>" << "Invalid Email Address!";
    }
    void suppressionListScreen()
    {
        QFETCH(QString, address);
        QFETCH(QString, refusal);
        EngineFixture f;
        f.folder.exec("INSERT INTO kaSuppression (EDate, SAddress, SReason, SCampaign, SRemarks) "
                      "VALUES ('2026-12-01', 'ann@example.org', 'U', 'ktMLead 3', '-')");
        f.open("KKSuppression");
        f.run(Operation::Add);
        QCOMPARE(f.text(3) + '|' + f.text(4), QString("M|by hand"));
        f.set(2, address);
        f.set(5, "phoned");
        f.run(Operation::Save);
        if (!refusal.isEmpty()) {
            QCOMPARE(f.messages.shown.last(), refusal);
            QCOMPARE(f.folder.count("kaSuppression"), 1);
            return;
        }
        QCOMPARE(f.folder.scalar("Select SReason From kaSuppression Where SAddress = 'JO@example.de'"), QString("M"));
        QCOMPARE(f.folder.scalar("Select SAddress From kaSuppression Where SRemarks = 'phoned'"), address.trimmed());
        f.run(Operation::Delete);
        QCOMPARE(f.folder.count("kaSuppression"), 1);
    }

    // Saving a user: row 1 always logs in as "Chief", and no other row may.
    void userRuleOnSave()
    {
        EngineFixture f;
        f.open("KKUser");
        f.run(Operation::First); // user 1
        f.run(Operation::Modify);
        f.set(2, "boss");
        f.run(Operation::Save);
        QCOMPARE(f.folder.scalar("Select ULogin From kaUser Where EId= 1"), QString("Chief"));

        f.run(Operation::Add);
        for (int i = 2; i <= 6; ++i)
            f.set(i, "x");
        f.set(2, "cHiEf");
        f.run(Operation::Save);
        const QString id = f.text(0);
        QCOMPARE(f.folder.scalar("Select ULogin From kaUser Where EId= " + id), QString("cHiEf(New)"));

        f.run(Operation::Modify);
        f.set(2, "CHIEF");
        f.run(Operation::Save);
        QCOMPARE(f.folder.scalar("Select ULogin From kaUser Where EId= " + id), "CHIEF" + id);
    }
};

QTEST_MAIN(AdminTest)
#include "tst_admin.moc"
