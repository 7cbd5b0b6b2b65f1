// The log-in screen: messages, focus and attempt counting, success filling the program state,
// and the ways it ends the program.
#include "common/TestSupport.h"
#include "shell/KKLogin.h"
#include "shell/ProgramEnd.h"
#include "shell/ProgramState.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestLogin : public QObject {
    Q_OBJECT

    QList<int> m_ends;
    std::unique_ptr<TestDataFolder> m_folder;

    // A log-in screen shown and active, as start-up shows it.
    static void showActive(KKLogin& login)
    {
        login.show();
        login.activateWindow();
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
        m_ends.clear();
        ProgramEnd::setHandler([this](int code) { m_ends << code; });
        m_folder = std::make_unique<TestDataFolder>(TestDataFolder::Options{.demo = false, .open = true, .login = false});
        m_folder->exec(QStringLiteral("INSERT INTO kaUser (EDate, ULogin, UPasscd, UHint, UMode, URemarks) "
                                      "VALUES ('2024-01-02', 'Anna', 'Secret1', 'hint', 'U', 'Sales')"));
        ProgramState& s = state();
        s.userRecordset.open(QStringLiteral("kaUser"), *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        s.enterpriseRecordset.open(QStringLiteral("kaEnterprise"), *s.connection, CursorType::Dynamic,
                                   LockType::Optimistic);
        s.AttemptCount = 7;
    }
    void cleanup()
    {
        m_folder.reset();
        ProgramEnd::setHandler({});
    }

    void failedAttemptsAndFocus()
    {
        ScriptedMessages messages;
        KKLogin login;
        QCOMPARE(state().AttemptCount, 0);
        showActive(login);

        // Blank fields are not counted.
        attempt(login, QString(), QString());
        attempt(login, QStringLiteral("Chief"), QString());
        QCOMPARE(messages.shown, QStringList(2, QStringLiteral("Blank LoginId/Password!")));
        QCOMPARE(state().AttemptCount, 0);
        QCOMPARE(login.focusWidget(), login.loginField());

        // An unknown id: the id box is emptied and focused.
        messages.clear();
        login.passwordField()->setFocus();
        attempt(login, QStringLiteral("Nobody"), QStringLiteral("korvina"));
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Invalid Login!")});
        QCOMPARE(login.loginField()->text(), QString());
        QCOMPARE(login.focusWidget(), login.loginField());
        QCOMPARE(state().AttemptCount, 1);

        // A wrong password: the password box is emptied and focused, the id stays.
        messages.clear();
        attempt(login, QStringLiteral("Chief"), QStringLiteral("korvin"));
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Invalid Password!")});
        QCOMPARE(login.loginField()->text(), QStringLiteral("Chief"));
        QCOMPARE(login.passwordField()->text(), QString());
        QCOMPARE(login.focusWidget(), login.passwordField());
        QCOMPARE(state().AttemptCount, 2);

        // An id with a quote matches nobody, quietly, even one that reads as criteria of its own.
        messages.clear();
        attempt(login, QStringLiteral("x' Or ''='"), QStringLiteral("korvina"));
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Invalid Login!")});
        QVERIFY(state().userRecordset.eof()); // left on no user
        QCOMPARE(state().AttemptCount, 3);
        messages.clear();
        attempt(login, QStringLiteral("O'Brien"), QStringLiteral("Secret1"));
        QCOMPARE(messages.shown, (QStringList{QStringLiteral("Invalid Login!"), QStringLiteral("Timed Out!")}));
        QCOMPARE(m_ends, QList<int>{1});
        QVERIFY(!login.isVisible());
        QCOMPARE(login.result(), int(QDialog::Rejected));
        QVERIFY(state().LoginId.isEmpty());
    }

    void successOnTheFourthAttempt()
    {
        ScriptedMessages messages;
        ProgramState& s = state();
        KKLogin login;
        showActive(login);
        for (int i = 0; i < 3; ++i)
            attempt(login, QStringLiteral("Anna"), QStringLiteral("wrong"));
        QCOMPARE(s.AttemptCount, 3);
        QVERIFY(login.isVisible());

        // The password is compared without regard to case; the id is kept as typed.
        messages.clear();
        attempt(login, QStringLiteral("Anna"), QStringLiteral("sECRET1"));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(m_ends.isEmpty());
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QCOMPARE(s.AttemptCount, 3);
        QCOMPARE(s.LoginId, QStringLiteral("Anna"));
        QCOMPARE(s.EShort, QStringLiteral("Korvina"));
        QCOMPARE(s.EPasscd, QStringLiteral("Access"));
        QCOMPARE(s.CBackColor, QStringLiteral("16777215"));
        QCOMPARE(s.PMailType, QStringLiteral("S"));
    }

    void keysMaskAndLength()
    {
        ScriptedMessages messages;
        {
            KKLogin login;
            showActive(login);
            QCOMPARE(login.focusWidget(), login.loginField());
            QTest::keyClicks(login.loginField(), QStringLiteral("ChiefChiefChief"));
            QCOMPARE(login.loginField()->text(), QStringLiteral("ChiefChief"));
            login.loginField()->setText(QStringLiteral("Chief"));
            QTest::keyClick(login.loginField(), Qt::Key_Return);
            QCOMPARE(login.focusWidget(), login.passwordField());
            QTest::keyClicks(login.passwordField(), QStringLiteral("KORVINA"));
            QCOMPARE(login.passwordField()->displayText(), QStringLiteral("xxxxxxx"));
            QTest::keyClick(login.passwordField(), Qt::Key_Enter);
            QCOMPARE(login.result(), int(QDialog::Accepted));
            QVERIFY(m_ends.isEmpty());
        }
        // Esc in a box, and Cancel, end the program.
        {
            KKLogin login;
            showActive(login);
            QTest::keyClick(login.passwordField(), Qt::Key_Escape);
            QCOMPARE(login.result(), int(QDialog::Rejected));
            QCOMPARE(m_ends, QList<int>{0});
        }
        m_ends.clear();
        {
            KKLogin login;
            showActive(login);
            login.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            QVERIFY(!login.isVisible());
            QCOMPARE(m_ends, QList<int>{0});
        }
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
