#include "common/TestSupport.h"
#include "shell/KKLogin.h"
#include "base/ProgramState.h"

#include <QtWidgets>
#include <QtTest>

class TestLogin : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataFolder> m_folder;
    Recordset m_users, m_enterprise;

    static void showActive(KKLogin& login)
    {
        login.show();
        QVERIFY(QTest::qWaitForWindowActive(&login));
    }

    static void attempt(KKLogin& login, const QString& id, const QString& password)
    {
        login.loginField()->setText(id);
        login.passwordField()->setText(password);
        login.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>(TestDataFolder::Options{.login = false});
        m_folder->exec(QStringLiteral("INSERT INTO kaUser (EDate, ULogin, UPasscd, UHint, UMode, URemarks) "
                                      "VALUES ('2024-01-02', 'Anna', 'Secret1', 'hint', 'U', 'Sales')"));
        ProgramState& s = state();
        m_users.open(QStringLiteral("kaUser"), *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        m_enterprise.open(QStringLiteral("kaEnterprise"), *s.connection, CursorType::Dynamic, LockType::Optimistic);
    }
    void cleanup()
    {
        m_users = Recordset();
        m_enterprise = Recordset();
        m_folder.reset();
    }

    void failedAttemptsAndFocus()
    {
        ScriptedMessages messages;
        KKLogin login(m_users, m_enterprise);
        QCOMPARE(login.failedAttempts(), 0);
        showActive(login);
        // id, password, message, "id box|password box" after, attempts. The box to retype is emptied and
        // focused; blanks are not counted; an id with a quote matches nobody, even one read as criteria.
        const QList<QStringList> cases = {{"Chief", "", "Blank LoginId/Password!", "Chief|", "0"},
                                          {"Nobody", "korvina", "Invalid Login!", "|korvina", "1"},
                                          {"Chief", "korvin", "Invalid Password!", "Chief|", "2"},
                                          {"x' Or ''='", "korvina", "Invalid Login!", "|korvina", "3"}};
        for (const QStringList& c : cases) {
            const bool password = c[2] == QLatin1String("Invalid Password!");
            (password ? login.loginField() : login.passwordField())->setFocus();
            attempt(login, c[0], c[1]);
            QCOMPARE(messages.shown, QStringList{c[2]});
            QCOMPARE(login.focusWidget(), password ? login.passwordField() : login.loginField());
            QCOMPARE(login.loginField()->text() + '|' + login.passwordField()->text(), c[3]);
            QCOMPARE(login.failedAttempts(), c[4].toInt());
            messages.clear();
        }
        QVERIFY(m_users.eof()); // left on no user

        attempt(login, QStringLiteral("O'Brien"), QStringLiteral("Secret1"));
        QCOMPARE(messages.shown, (QStringList{"Invalid Login!", "Timed Out!"}));
        QCOMPARE(login.result(), int(QDialog::Rejected));
        QCOMPARE(login.exitCode(), ExitCode::Failure);
        QVERIFY(!login.isVisible() && state().LoginId.isEmpty());
    }

    void keysSuccessAndEndings()
    {
        ScriptedMessages messages;
        KKLogin login(m_users, m_enterprise);
        showActive(login);
        QCOMPARE(login.focusWidget(), login.loginField());
        for (int i = 0; i < 3; ++i)
            attempt(login, QStringLiteral("Anna"), QStringLiteral("wrong"));

        // A correct fourth attempt at the keyboard: ten letters at most, Return to the masked password,
        // Enter to log in; the password's letter case does not matter; the program state is filled.
        QTest::keyClicks(login.loginField(), QStringLiteral("XXXXXXXX"));
        QCOMPARE(login.loginField()->text(), QStringLiteral("AnnaXXXXXX"));
        login.loginField()->setText(QStringLiteral("Anna"));
        QTest::keyClick(login.loginField(), Qt::Key_Return);
        QCOMPARE(login.focusWidget(), login.passwordField());
        QTest::keyClicks(login.passwordField(), QStringLiteral("sECRET1"));
        QCOMPARE(login.passwordField()->displayText(), QStringLiteral("xxxxxxx"));
        QTest::keyClick(login.passwordField(), Qt::Key_Enter);
        QCOMPARE(messages.shown, QStringList(3, QStringLiteral("Invalid Password!")));
        QCOMPARE(login.result(), int(QDialog::Accepted));
        const ProgramState& s = state();
        QCOMPARE(login.failedAttempts(), 3);
        QCOMPARE((QStringList{s.LoginId, s.EShort, s.EPasscd, s.CBackColor, s.PMailType}),
                 (QStringList{"Anna", "Korvina", "Access", "16777215", "S"}));

        // Esc in a box, and Cancel, end the program.
        KKLogin byEscape(m_users, m_enterprise), byCancel(m_users, m_enterprise);
        showActive(byEscape);
        QTest::keyClick(byEscape.passwordField(), Qt::Key_Escape);
        showActive(byCancel);
        byCancel.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        for (const KKLogin* ended : {&byEscape, &byCancel}) {
            QVERIFY(!ended->isVisible());
            QCOMPARE(ended->result(), int(QDialog::Rejected));
            QCOMPARE(ended->exitCode(), ExitCode::Success);
        }
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
