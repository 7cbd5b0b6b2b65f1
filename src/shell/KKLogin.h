#pragma once
#include "base/ExitCode.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class Recordset;

// The log-in screen, caption "Login". Checks the typed log-in id and password against the
// user record set (`users`, open on kaUser) and, on success, fills LoginId, EShort and
// EPasscd (from the current row of `enterprise`, open on kaEnterprise), runs
// LoadCustomization and LoadMailPreferences, and closes: exec() returns Accepted only then.
//
// Cancel, Esc, the close box and a fourth failed attempt ("Timed Out!") close the screen with
// Rejected, and the program then ends with exitCode(): Success for Cancel/Esc, Failure for the
// time-out. A blank field is not counted as an attempt.
class KKLogin : public QDialog {
    Q_OBJECT
public:
    KKLogin(Recordset& users, Recordset& enterprise, QWidget* parent = nullptr);

    QLineEdit* loginField() const { return m_id; }
    QLineEdit* passwordField() const { return m_password; }
    // How the program ends after the screen closed without a log-in.
    ExitCode exitCode() const { return m_exitCode; }
    // The failed attempts so far (blank fields are not counted).
    int failedAttempts() const { return m_failedAttempts; }

public slots:
    // cmdOk: the log-in check.
    void checkLogin();
    // cmdCancel, Esc and the close box: close and end the program.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Finds the user row for an id; false (and the record set off every user) when there is
    // none or the id cannot be searched for.
    bool findUser(const QString& id);
    void failedAttempt();

    Recordset& m_users;
    Recordset& m_enterprise;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    ExitCode m_exitCode = ExitCode::Success;
    int m_failedAttempts = 0;
};
