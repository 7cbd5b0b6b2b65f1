#include "shell/KKLogin.h"

#include "base/Look.h"

#include "platform/AppError.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kMaxLength = 10;
constexpr int kAllowedFailures = 3;

bool isReturn(const QKeyEvent* k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }
}

KKLogin::KKLogin(Recordset& users, Recordset& enterprise, QWidget* parent)
    : QDialog(parent), m_users(users), m_enterprise(enterprise)
{
    setObjectName(QStringLiteral("KKLogin"));
    setWindowTitle(QStringLiteral("Login"));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("frmMain"));
    outer->addWidget(frame);
    auto* grid = new QGridLayout(frame);

    const QString captions[2] = {QStringLiteral("LoginId"), QStringLiteral("Password")};
    QLineEdit* fields[2];
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(captions[i], frame);
        label->setObjectName(QStringLiteral("lblField_%1").arg(i));
        auto* field = new QLineEdit(frame);
        field->setObjectName(QStringLiteral("txtField_%1").arg(i));
        field->setMaxLength(kMaxLength);
        field->setAccessibleName(captions[i]);
        field->installEventFilter(this);
        label->setBuddy(field);
        grid->addWidget(label, i, 0);
        grid->addWidget(field, i, 1);
        fields[i] = field;
    }
    m_id = fields[0];
    m_password = fields[1];
    MaskWithCrosses(m_password);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter belongs to the text boxes (next field / log in), not to a default button.
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    outer->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &KKLogin::checkLogin);
    connect(m_cancel, &QPushButton::clicked, this, &KKLogin::reject);

    m_id->setFocus();
}

bool KKLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_id || watched == m_password)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isReturn(key)) {
            if (watched == m_id)
                m_password->setFocus();
            else
                checkLogin();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool KKLogin::findUser(const QString& id)
{
    Recordset& users = m_users;
    if (!Guard([&] { users.moveFirst(); }))
        return false;
    try {
        // The id goes into the criterion as typed. A quote would end the text early and turn
        // the rest of the id into criteria of its own ("x' Or ''='"): such an id matches nobody.
        if (!id.contains(QLatin1Char('\''))) {
            users.find(QStringLiteral("ULogin= '") + id + QLatin1Char('\''));
            return !users.eof();
        }
    } catch (const AppError& e) {
        if (e.number() != DbErrors::BadCriteria && e.number() != DbErrors::SyntaxError)
            LogError(e);
    } catch (const std::exception& e) {
        LogError(e);
    }
    // Leave the record set past its last row, on no user at all.
    try {
        if (users.recordCount() > 0) {
            users.moveLast();
            users.moveNext();
        }
    } catch (...) {
    }
    return false;
}

void KKLogin::checkLogin()
{
    ProgramState& s = state();
    const QString id = m_id->text();
    const QString password = m_password->text();
    if (id.isEmpty() || password.isEmpty()) {
        Messages::current().notice(QStringLiteral("Blank LoginId/Password!"));
        m_id->setFocus();
        return;
    }

    if (!findUser(id)) {
        Messages::current().notice(QStringLiteral("Invalid Login!"));
        m_id->clear();
        m_id->setFocus();
        failedAttempt();
        return;
    }

    QString stored;
    const bool read = Guard([&] { stored = m_users.field(QStringLiteral("UPasscd")).text(); });
    if (!read || stored.toUpper() != password.toUpper()) {
        Messages::current().notice(QStringLiteral("Invalid Password!"));
        m_password->clear();
        m_password->setFocus();
        failedAttempt();
        return;
    }

    s.LoginId = id;
    Guard([&] { s.EShort = m_enterprise.field(QStringLiteral("EShort")).text(); });
    Guard([&] { s.EPasscd = m_enterprise.field(QStringLiteral("EPasscd")).text(); });
    Guard([] { LoadCustomization(); });
    Guard([] { LoadMailPreferences(); });
    accept();
}

void KKLogin::failedAttempt()
{
    if (++m_failedAttempts <= kAllowedFailures)
        return;
    Messages::current().notice(QStringLiteral("Timed Out!"));
    m_exitCode = ExitCode::Failure;
    QDialog::reject();
}

void KKLogin::reject()
{
    m_exitCode = ExitCode::Success;
    QDialog::reject();
}
