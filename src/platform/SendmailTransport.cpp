#include "platform/SendmailTransport.h"

#include "platform/AppError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
const QString source = QStringLiteral("SendmailTransport");
const QString systemSendmail = QStringLiteral("/usr/sbin/sendmail");
constexpr int startMs = 10'000;
constexpr int finishMs = 120'000;
}

SendmailTransport::SendmailTransport(MailSettings settings) : m_settings(std::move(settings)) {}

void SendmailTransport::open()
{
    QStringList command = QProcess::splitCommand(m_settings.sendmail);
    if (command.isEmpty())
        command = {systemSendmail};
    const QString program = command.takeFirst();
    const QFileInfo direct(program);
    if (QStandardPaths::findExecutable(program).isEmpty() && !(direct.isFile() && direct.isExecutable()))
        throw MailError(MailFailure::Program, MailErrors::NoTransport, source,
                        QStringLiteral("The mail program %1 cannot be found.").arg(program));
    m_program = program;
    m_arguments = command + QStringList{QStringLiteral("-t"), QStringLiteral("-oi")};
    if (!m_settings.sentFolder.isEmpty())
        QDir().mkpath(m_settings.sentFolder);
}

void SendmailTransport::send(const MailMessage& message)
{
    if (m_program.isEmpty())
        throw AppError(MailErrors::NoTransport, source, QStringLiteral("The mail program is not open"));
    // The mail system chooses the sender; the one given names the Message-ID's domain only.
    const MailComposer::Composed mail = m_composer.compose(message, QDateTime::currentDateTime(), MailComposer::LineEnd::Lf,
                                                           MailComposer::FromHeader::Omitted);

    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(m_program, m_arguments);
    if (!process.waitForStarted(startMs))
        throw MailError(MailFailure::Program, MailErrors::SendFailed, source,
                        QStringLiteral("The mail program %1 did not start: %2").arg(m_program, process.errorString()));
    process.write(mail.data);
    process.closeWriteChannel();
    if (!process.waitForFinished(finishMs)) {
        process.kill();
        process.waitForFinished();
        throw AppError(MailErrors::SendFailed, source, QStringLiteral("%1 did not finish").arg(m_program));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).simplified();
        throw AppError(MailErrors::SendFailed, source,
                       QStringLiteral("Sending to %1 failed: %2 ended with %3 %4")
                           .arg(QString::fromUtf8(mail.recipient), m_program)
                           .arg(process.exitCode())
                           .arg(said));
    }
    keepCopy(mail.data);
}

void SendmailTransport::keepCopy(const QByteArray& data)
{
    if (m_settings.sentFolder.isEmpty())
        return;
    const QString name = QStringLiteral("%1/%2-%3.eml")
                             .arg(m_settings.sentFolder,
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                             .arg(++m_copies, 5, 10, QLatin1Char('0'));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        throw AppError(MailErrors::SendFailed, source, QStringLiteral("The copy %1 cannot be written").arg(name));
}
