#include "campaigns/ReplyRun.h"

#include "campaigns/ReplyReader.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "base/Suppression.h"
#include "base/UnsubscribeToken.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"

namespace {
const QString source = QStringLiteral("ProcessReplies");

MailboxSettings mailboxSettings()
{
    const ProgramState& s = state();
    MailboxSettings settings;
    settings.server = s.PImapSrvr;
    settings.port = s.PImapPort;
    settings.user = s.PSmtpUser;
    settings.password = s.PPasscd;
    applyMailboxEnvironment(settings);
    return settings;
}
}

ReplyRun::ReplyRun(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<MailReply>();
}

ReplyRun::~ReplyRun()
{
    if (m_reader)
        m_reader->stop();
    m_thread.quit();
    m_thread.wait();
    delete m_reader;
}

QString ReplyRun::summary(const Counts& counts)
{
    return QStringLiteral("%1 unsubscribed, %2 bounced, %3 other %4 left alone")
        .arg(counts.unsubscribed)
        .arg(counts.bounced)
        .arg(counts.other)
        .arg(counts.other == 1 ? QStringLiteral("message") : QStringLiteral("messages"));
}

bool ReplyRun::start()
{
    if (m_running)
        return false;
    const ProgramState& s = state();
    if (s.PImapSrvr.trimmed().isEmpty() || s.PImapFolder.trimmed().isEmpty()) {
        m_why = QStringLiteral("Enter the IMAP server and folder of the office mailbox in the mail preferences!");
        return false;
    }
    if (!loadCustomers())
        return false; // said by the error handler
    m_tokenKey = s.PTokenPasscd;
    m_counts = {};
    m_handled = 0;
    m_why.clear();
    m_writeFailed = false;
    m_running = true;

    delete m_reader; // of an earlier run, whose thread has ended
    m_reader = new ReplyReader(mailboxSettings(), s.PImapFolder.trimmed());
    m_reader->moveToThread(&m_thread);
    connect(m_reader, &ReplyReader::progressed, this, &ReplyRun::progressChanged);
    connect(m_reader, &ReplyReader::recognised, this, &ReplyRun::take);
    connect(m_reader, &ReplyReader::readAll, this, &ReplyRun::readAll);
    connect(m_reader, &ReplyReader::failed, this, &ReplyRun::fail);
    connect(m_reader, &ReplyReader::finished, this, &ReplyRun::end);
    connect(this, &ReplyRun::file, m_reader, &ReplyReader::file);
    m_thread.setObjectName(QStringLiteral("ProcessReplies"));
    m_thread.start();
    QMetaObject::invokeMethod(m_reader, &ReplyReader::read, Qt::QueuedConnection);
    return true;
}

void ReplyRun::stop()
{
    if (m_reader)
        m_reader->stop();
}

bool ReplyRun::loadCustomers()
{
    m_customerAddress.clear();
    m_customerAddresses.clear();
    return Guard([this] {
        Recordset r;
        r.open(QStringLiteral("Select EId, CEmail From ktCustomer"), *state().connection, CursorType::Static,
               LockType::ReadOnly);
        for (; !r.eof(); r.moveNext()) {
            const QString address = r.field(1).text().trimmed();
            m_customerAddress.insert(r.field(0).text().toLongLong(), address);
            if (!address.isEmpty())
                m_customerAddresses.insert(Suppression::key(address), address);
        }
    });
}

void ReplyRun::take(qint64 uid, const MailReply& reply)
{
    if (m_writeFailed)
        return;
    const bool handled = reply.kind == ReplyKind::Unsubscribe ? handleUnsubscribe(reply) : handleBounce(reply);
    if (!handled)
        return;
    ++m_handled;
    ++(reply.kind == ReplyKind::Unsubscribe ? m_counts.unsubscribed : m_counts.bounced);
    emit file(uid);
}

// Only a token made with this database's key names a recipient; the customer's address is
// the one suppressed, whoever sent the request.
bool ReplyRun::handleUnsubscribe(const MailReply& reply)
{
    const std::optional<UnsubscribeToken::Recipient> recipient = UnsubscribeToken::verify(m_tokenKey, reply.token);
    if (!recipient)
        return false;
    const QString address = m_customerAddress.value(recipient->customerId);
    if (address.isEmpty())
        return false;
    return suppress(address, false,
                    UnsubscribeToken::campaignName(recipient->campaignTable, recipient->campaignId));
}

// Only customers' addresses: a report about any other address is none of Korvina's.
bool ReplyRun::handleBounce(const MailReply& reply)
{
    const std::optional<UnsubscribeToken::Recipient> returned = UnsubscribeToken::verify(m_tokenKey, reply.token);
    bool any = false;
    for (const QString& failed : reply.failed) {
        const QString address = m_customerAddresses.value(Suppression::key(failed));
        if (address.isEmpty())
            continue;
        QString campaign;
        if (returned && Suppression::key(m_customerAddress.value(returned->customerId)) == Suppression::key(address))
            campaign = UnsubscribeToken::campaignName(returned->campaignTable, returned->campaignId);
        if (!suppress(address, true, campaign))
            return false;
        any = true;
    }
    return any;
}

bool ReplyRun::suppress(const QString& address, bool bounced, const QString& campaign)
{
    try {
        // An address already on the list stays as it is; the message was handled all the same.
        Suppression::add(*state().connection, address,
                         bounced ? SuppressionReason::Bounced : SuppressionReason::Unsubscribed, campaign);
        return true;
    } catch (const AppError& e) {
        // The database refuses every entry alike: said once, and the rest is left for next time.
        m_writeFailed = true;
        fail(e.number(), e.description());
        return false;
    }
}

void ReplyRun::readAll(int total)
{
    m_counts.other = total - m_handled;
    QMetaObject::invokeMethod(m_reader, &ReplyReader::finish, Qt::QueuedConnection);
}

void ReplyRun::fail(int errorNumber, const QString& error)
{
    if (m_why.isEmpty())
        m_why = error;
    if (errorNumber != MailboxErrors::Stopped)
        RecordError(AppError(errorNumber, source, error));
    m_reader->stop();
    QMetaObject::invokeMethod(m_reader, &ReplyReader::finish, Qt::QueuedConnection);
}

void ReplyRun::end()
{
    if (!m_running)
        return;
    m_running = false;
    m_thread.quit();
    m_thread.wait();
    emit finished();
}
