#include "ImapServer.h"

#include "LocalPort.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <grp.h>
#include <pwd.h>

namespace {
bool asRoot() { return geteuid() == 0; }

// Who owns the mailbox, and who Dovecot's own processes run as.
struct Accounts {
    uid_t mailUid;
    gid_t mailGid;
    QString internalUser;
    QString internalGroup;
    QString loginUser;
};

Accounts accounts()
{
    if (asRoot()) {
        const passwd* nobody = getpwnam("nobody");
        return {nobody->pw_uid, nobody->pw_gid, QStringLiteral("dovecot"), QStringLiteral("dovecot"),
                QStringLiteral("dovenull")};
    }
    const passwd* me = getpwuid(getuid());
    const QString name = QString::fromLocal8Bit(me->pw_name);
    return {me->pw_uid, me->pw_gid, name, QString::fromLocal8Bit(getgrgid(getgid())->gr_name), name};
}
}

ImapServer::ImapServer(const Options& options) : m_dir(QDir::tempPath() + QStringLiteral("/korvina-imap-XXXXXX"))
{
    // Dovecot's own processes run as other users and must reach the folder.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                            | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    writeTestCertificate(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("run"));
    QDir(m_dir.path()).mkpath(QStringLiteral("mail/Maildir"));
    handOver();
    m_port = freeLocalPort();
    writeConfiguration(options);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(QStringLiteral("/usr/sbin/dovecot"),
                    {QStringLiteral("-F"), QStringLiteral("-c"), m_dir.filePath(QStringLiteral("dovecot.conf"))});
    // One probe that gets in: the tests count the connections in the server's log.
    bool listening = false;
    const bool ended = QTest::qWaitFor(
        [&] { return (listening = acceptsOnLocalPort(m_port)) || m_process.state() == QProcess::NotRunning; }, 20000);
    QVERIFY2(ended && listening, qPrintable(QStringLiteral("the test IMAP server did not start: ") + log()));
}

// Dovecot's own processes end as soon as the master is gone; a gentle stop would make every
// test wait a second or more for nothing.
ImapServer::~ImapServer()
{
    m_process.kill();
    m_process.waitForFinished();
}

void ImapServer::writeConfiguration(const Options& options)
{
    const Accounts a = accounts();
    const QString dir = m_dir.path();
    QVERIFY(writeFile(dir + QStringLiteral("/users"), QStringLiteral("%1:{PLAIN}%2:%3:%4::%5/mail\n")
                                                          .arg(user(), password())
                                                          .arg(a.mailUid)
                                                          .arg(a.mailGid)
                                                          .arg(dir)
                                                          .toUtf8()));
    QString conf = QStringLiteral(
        "base_dir = %1/run\nstate_dir = %1/run\ninstance_name = korvina-test-%2\nlog_path = %1/dovecot.log\n"
        "protocols = imap\nlisten = 127.0.0.1\nauth_mechanisms = plain login\nauth_verbose = yes\nauth_failure_delay = 0\n"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u %1/users\n}\n"
        "userdb {\n  driver = passwd-file\n  args = username_format=%u %1/users\n}\n"
        "mail_location = maildir:~/Maildir\nfirst_valid_uid = 1\n"
        "default_internal_user = %3\ndefault_internal_group = %4\ndefault_login_user = %5\n"
        "service imap-login {\n  chroot =\n  inet_listener imap {\n    address = 127.0.0.1\n    port = %2\n  }\n"
        "  inet_listener imaps {\n    port = 0\n  }\n}\nservice anvil {\n  chroot =\n}\n")
                       .arg(dir)
                       .arg(m_port)
                       .arg(a.internalUser, a.internalGroup, a.loginUser);
    if (options.tls == Tls::Required)
        conf += QStringLiteral("ssl = required\nssl_cert = <%1/cert.pem\nssl_key = <%1/key.pem\n").arg(dir);
    else
        conf += QStringLiteral("ssl = no\ndisable_plaintext_auth = no\n");
    if (!options.move)
        conf += QStringLiteral("imap_capability = IMAP4rev1 LITERAL+ SASL-IR ID ENABLE IDLE UIDPLUS NAMESPACE\n");
    QVERIFY(writeFile(dir + QStringLiteral("/dovecot.conf"), conf.toUtf8()));
}

// The mailbox belongs to the user the server reads it as.
void ImapServer::handOver() const
{
    if (!asRoot())
        return;
    const Accounts a = accounts();
    const QString mail = m_dir.filePath(QStringLiteral("mail"));
    QVERIFY(::chown(QFile::encodeName(mail).constData(), a.mailUid, a.mailGid) == 0);
    QDirIterator it(mail, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        QVERIFY(::chown(QFile::encodeName(it.next()).constData(), a.mailUid, a.mailGid) == 0);
}

QString ImapServer::folderPath(const QString& folder) const
{
    const QString maildir = m_dir.filePath(QStringLiteral("mail/Maildir"));
    return folder.compare(QLatin1String("INBOX"), Qt::CaseInsensitive) == 0 ? maildir
                                                                             : maildir + QStringLiteral("/.") + folder;
}

void ImapServer::deliver(const QByteArray& message, bool seen, const QString& folder)
{
    const QString path = folderPath(folder);
    for (const char* sub : {"cur", "new", "tmp"})
        QDir(path).mkpath(QLatin1String(sub));
    if (folder.compare(QLatin1String("INBOX"), Qt::CaseInsensitive) != 0)
        QVERIFY(writeFile(path + QStringLiteral("/maildirfolder"), {}));
    const QString name = QStringLiteral("%1.M%2P%3.korvina-test")
                             .arg(QDateTime::currentSecsSinceEpoch())
                             .arg(++m_delivered)
                             .arg(QCoreApplication::applicationPid());
    const QString temporary = path + QStringLiteral("/tmp/") + name;
    QVERIFY(writeFile(temporary, message));
    const QString final = seen ? path + QStringLiteral("/cur/") + name + QStringLiteral(":2,S")
                               : path + QStringLiteral("/new/") + name;
    QVERIFY(QFile::rename(temporary, final));
    handOver();
}

QList<ImapServer::Stored> ImapServer::messages(const QString& folder) const
{
    QList<Stored> found;
    for (const char* sub : {"new", "cur"}) {
        QDir dir(folderPath(folder) + QLatin1Char('/') + QLatin1String(sub));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            const qsizetype info = name.indexOf(QLatin1String(":2,"));
            found.append({fileContents(dir.filePath(name)), info < 0 ? QString() : name.mid(info + 3)});
        }
    }
    return found;
}

QString ImapServer::log() const
{
    return QString::fromUtf8(fileContents(m_dir.filePath(QStringLiteral("dovecot.log"))));
}
