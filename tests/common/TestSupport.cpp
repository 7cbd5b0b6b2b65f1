#include "TestSupport.h"

#include "PgTestServer.h"

#include "platform/Recordset.h"
#include "base/Schema.h"
#include "platform/Connection.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QtTest>

ScriptedMessages::ScriptedMessages()
{
    if (!ProgramState::current())
        qFatal("ScriptedMessages needs a program state: create the TestDataFolder first");
    state().setMessages(this);
}

ScriptedMessages::~ScriptedMessages()
{
    if (ProgramState* s = ProgramState::current(); s && &s->messages() == this)
        s->setMessages(nullptr);
}

TestDataFolder::TestDataFolder(const Options& options) : m_state(std::make_unique<ProgramState>())
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ProgramState& s = *m_state;
    s.DataFolder = m_dir.path();
    s.DatabaseUrl = options.serverUrl;
    InitProgramState();
    for (const char* sub : {"Bin", "Docs", "Arch"})
        QDir(s.DataFolder).mkpath(QLatin1String(sub));
    Connection& c = *s.connection;
    c.open();
    c.beginTrans();
    Schema::createTables(c);
    Schema::insertRequiredRows(c);
    if (options.content)
        options.content(c);
    c.commitTrans();
    c.close();
    if (options.open) {
        s.connection->open();
        if (options.login) {
            s.LoginId = QStringLiteral("Chief");
            s.EShort = scalar(QStringLiteral("Select EShort From kaEnterprise"));
            s.EPasscd = scalar(QStringLiteral("Select EPasscd From kaEnterprise"));
            LoadCustomization();
            LoadMailPreferences();
        }
    }
}

// The program state closes its record sets and the connection as it goes.
namespace {
// The modal windows tests are waiting for; one still awaited when its data folder goes means
// the window never came.
QList<QPointer<QTimer>> awaitedModals;
}

TestDataFolder::~TestDataFolder()
{
    for (const QPointer<QTimer>& timer : std::exchange(awaitedModals, {})) {
        if (!timer)
            continue;
        delete timer;
        QTest::qFail("a modal window the test waited for never appeared", __FILE__, __LINE__);
    }
}

void TestDataFolder::exec(const QString& sql) const { state().connection->execute(sql); }

QString TestDataFolder::scalar(const QString& sql) const
{
    Recordset r;
    r.open(sql, *state().connection, CursorType::Static, LockType::ReadOnly);
    return r.eof() ? QString() : r.field(0).text();
}

QStringList TestDataFolder::rows(const QString& sql) const
{
    QStringList out;
    Recordset r;
    for (r.open(sql, *state().connection, CursorType::Static, LockType::ReadOnly); !r.eof(); r.moveNext()) {
        QStringList cells;
        for (int i = 0; i < r.fieldCount(); ++i)
            cells << r.field(i).text();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

int TestDataFolder::count(const QString& table) const
{
    return scalar(QStringLiteral("Select Count(*) From ") + table).toInt();
}

void addBackendRows()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("file") << false;
    QTest::newRow("server") << true;
}

bool onServer()
{
    QFETCH_GLOBAL(bool, server);
    return server;
}

TestDataFolder::Options folderOptions(PgTestServer& server, TestDataFolder::Options options)
{
    if (onServer()) {
        if (!server.isRunning() && !server.start())
            qFatal("cannot start the test database server: %s", qPrintable(server.why()));
        options.serverUrl = server.createDatabase();
    }
    return options;
}

void onNextModal(std::function<void(QWidget*)> action, int timeoutMs)
{
    onModalMatching([](QWidget*) { return true; }, std::move(action), timeoutMs);
}

void onModalMatching(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> action, int timeoutMs)
{
    auto* timer = new QTimer;
    awaitedModals.append(timer);
    QElapsedTimer clock;
    clock.start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, matches, action, timeoutMs] {
        if (QWidget* w = QApplication::activeModalWidget(); w && matches(w)) {
            timer->stop();
            timer->deleteLater();
            awaitedModals.removeAll(timer);
            action(w);
        } else if (clock.elapsed() > timeoutMs) {
            // The window the test waited for never came: that is a failure, not a quiet timeout.
            qFatal("no awaited modal window appeared within %d ms", timeoutMs);
        }
    });
    timer->start();
}

QByteArray fileContents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void writeTestCertificate(const QString& folder)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 -subj /CN=127.0.0.1 "
                                 "-addext subjectAltName=IP:127.0.0.1 -keyout %1/key.pem -out %1/cert.pem")
                      .arg(folder)
                      .split(QLatin1Char(' ')));
    QVERIFY2(openssl.waitForFinished(60000) && openssl.exitCode() == 0, openssl.readAllStandardError().constData());
}
