#include "campaigns/CampaignRun.h"

#include "campaigns/CampaignLetter.h"
#include "campaigns/DeliveryLog.h"
#include "campaigns/MailDispatcher.h"
#include "campaigns/Unsubscribe.h"
#include "base/UnsubscribeToken.h"
#include "platform/MailComposer.h"
#include "platform/AppError.h"
#include "base/Clock.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QTimer>

namespace {
const QString source = QStringLiteral("CampaignRun");
constexpr int invalidUseOfNull = 94;
constexpr int noContentRecord = DbErrors::NoCurrentRecord;

MailSettings mailSettings()
{
    const ProgramState& s = state();
    MailSettings settings;
    settings.server = s.PSmtpSrvr;
    settings.port = s.PSmtpPort;
    settings.user = s.PSmtpUser;
    settings.password = s.PPasscd;
    settings.sentFolder = s.DataFolder + QStringLiteral("/Docs/Sent");
    applyMailEnvironment(settings);
    return settings;
}
}

CampaignRun::CampaignRun(Request request, QObject* parent) : QObject(parent), m_request(std::move(request))
{
    qRegisterMetaType<MailMessage>();
}

// A run that goes before its end cuts the line, and the worker closes what is left.
CampaignRun::~CampaignRun()
{
    if (m_dispatcher) {
        m_dispatcher->cancel();
        m_dispatcher->hangUp();
        QMetaObject::invokeMethod(m_dispatcher, &MailDispatcher::close, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
    delete m_dispatcher;
}

void CampaignRun::start()
{
    if (m_running)
        return;
    m_running = true;
    m_stopRequested = false;
    m_failure.reset();
    m_walked = false;
    m_linked = false;
    m_windowDone = false;
    emit statusChanged(QStringLiteral("Docking.."));

    Recordset content;
    if (!openContent(content) || !openRecipients() || !prepareBulkMail()) {
        finish(false);
        return;
    }
    m_total = m_recipients.recordCount();
    if (isTest())
        m_total = std::min(m_total, 1); // and no delivery log: nothing is delivered to a customer
    m_done = 0;
    if (!confirmDuration()) {
        finish(false);
        return;
    }
    startTransport();
    if (!isTest())
        m_log = std::make_unique<DeliveryLog>(state().DataFolder + QStringLiteral("/Docs/Sent"), m_request.family->screen(),
                                              m_request.campaignId, state().clock.now());
    emit progressChanged(0, m_total);
    schedule();
}

void CampaignRun::stop()
{
    m_stopRequested = true;
    m_pacing = false;
    if (m_dispatcher)
        m_dispatcher->cancel(); // the message being sent still goes; the one waiting does not
    schedule();
}

bool CampaignRun::openContent(Recordset& content)
{
    const bool opened = Guard([&] {
        content.open(QStringLiteral("Select * From ") + m_request.family->contentTable() + QStringLiteral(" Where EId= ")
                         + m_request.contentId,
                     *state().connection, CursorType::Static, LockType::ReadOnly);
        if (content.eof())
            throw AppError(noContentRecord, source,
                           QStringLiteral("No %1 record %2").arg(m_request.family->contentTable(), m_request.contentId));
    });
    return opened;
}

bool CampaignRun::openRecipients()
{
    return Guard([&] {
        m_recipients.open(QStringLiteral("Select * From ktCustomer Where CType= ") + m_request.customerType
                              + QStringLiteral(" And ") + m_request.criteria,
                          *state().connection, CursorType::Static, LockType::ReadOnly,
                          ReadScope({QStringLiteral("ktCustomer")}));
    });
}

// The suppression list and the addresses the messages name, checked once before the first.
bool CampaignRun::prepareBulkMail()
{
    ProgramState& s = state();
    if (!Guard([&] { m_filter.load(*s.connection); }))
        return false;
    if (m_request.resume) {
        QSet<QString> sent;
        for (const QString& address : DeliveryLog::sentAddresses(s.DataFolder + QStringLiteral("/Docs/Sent"),
                                                                  m_request.family->screen(), m_request.campaignId))
            sent.insert(Suppression::key(address));
        m_filter.skipSentBefore(sent);
    }
    m_only.clear();
    for (const QString& address : std::as_const(m_request.only))
        m_only.insert(Suppression::key(address));
    m_unsubscribeAddress = Unsubscribe::address(s.PUnsubAddr, s.PSmtpFrom);
    if (mailTransportKind(s.PMailType) == MailTransportKind::None)
        return true;
    if (!MailComposer::isMailbox(m_unsubscribeAddress)) {
        s.messages().notice(QStringLiteral("Unsubscribe Address Missing Or Invalid In The Preferences!"));
        return false;
    }
    if (!s.PReplyTo.trimmed().isEmpty() && !MailComposer::isMailbox(s.PReplyTo)) {
        s.messages().notice(QStringLiteral("Reply-To Address Invalid In The Preferences!"));
        return false;
    }
    return true;
}

// The recipient's unsubscribe line and header, with a token for this customer and campaign.
void CampaignRun::addUnsubscribe(QString* body)
{
    // A test message names no customer: following its unsubscribe line suppresses no one.
    const qint64 customer = isTest() ? 0 : m_recipients.currentId();
    const UnsubscribeToken::Recipient recipient{m_request.family->table(),
                                                m_request.campaignId.trimmed().toLongLong(), customer};
    const Unsubscribe::Request request{m_unsubscribeAddress, UnsubscribeToken::make(state().PTokenPasscd, recipient)};
    *body = Unsubscribe::appendLine(*body, m_request.family->bodyKind, request);
    m_message.listUnsubscribe = Unsubscribe::header(request);
}

// The transport is created and opened on the worker; a failure to open it is the first
// message's answer.
void CampaignRun::startTransport()
{
    const MailTransportKind kind = mailTransportKind(state().PMailType);
    m_transportWanted = kind != MailTransportKind::None;
    if (!m_transportWanted)
        return;
    m_dispatcher = new MailDispatcher(kind, mailSettings());
    m_dispatcher->moveToThread(&m_thread);
    connect(this, &CampaignRun::dispatch, m_dispatcher, &MailDispatcher::send, Qt::QueuedConnection);
    connect(m_dispatcher, &MailDispatcher::sent, this, &CampaignRun::recipientSent, Qt::QueuedConnection);
    connect(m_dispatcher, &MailDispatcher::closed, this, &CampaignRun::transportClosed, Qt::QueuedConnection);
    m_thread.setObjectName(QStringLiteral("CampaignMail"));
    m_thread.start();
    QMetaObject::invokeMethod(m_dispatcher, &MailDispatcher::open, Qt::QueuedConnection);
}

QString CampaignRun::composeBody(QString* subject, bool* ok)
{
    const CampaignFamily& family = *m_request.family;
    Recordset content; // read afresh for every recipient
    *ok = openContent(content);
    if (!*ok)
        return {};
    QString body;
    Guard([&] {
        body = content.field(family.bodyColumn).text();
        *subject = content.field(family.subjectColumn).text();
    });
    if (family.mergesTags) {
        QStringList nulls;
        Guard([&] { body = CampaignLetter::mergeTags(body, m_recipients, &nulls); });
        for (const QString& column : nulls)
            LogError(AppError(invalidUseOfNull, source,
                              QStringLiteral("Invalid use of Null: %1 of customer %2").arg(column).arg(m_recipients.currentId())));
    }
    if (family.addsSurveyLink)
        Guard([&] { body += CampaignLetter::surveyLinkBlock(content.field(QStringLiteral("SLink")).text()); });
    if (state().PMailFoot == QLatin1String("Y"))
        Guard([&] {
            body += CampaignLetter::trackingFooter(family.footerPrefix, content.field(QStringLiteral("EDate")).text(),
                                                   content.field(QStringLiteral("EId")).text());
        });
    return body;
}

// Every step of the run is one call of step(), queued, so that window events (Stop among
// them) run between any two steps: between two messages and between two boxes.
void CampaignRun::schedule()
{
    if (m_scheduled || !hasWork())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &CampaignRun::step, Qt::QueuedConnection);
}

bool CampaignRun::hasWork() const
{
    return m_running && (!m_answers.isEmpty() || (!m_walked && !m_pacing && m_inFlight.size() < window));
}

// With a rate limit, a long run says how long it takes before it starts.
bool CampaignRun::confirmDuration()
{
    m_rate = std::max(0, state().PRateLimit.trimmed().toInt());
    m_handed = 0;
    m_paceClock.start();
    if (m_rate == 0 || m_total <= longRun || mailTransportKind(state().PMailType) == MailTransportKind::None)
        return true;
    const int minutes = (m_total + m_rate - 1) / m_rate;
    return state().messages().question(
        QStringLiteral("%1 Messages At %2 Per Minute Take About %3 Minute(s). Send Now?").arg(m_total).arg(m_rate).arg(minutes));
}

// Message k is handed over no sooner than k minutes / rate after the start, so the rate
// holds over the whole run without drifting. True while the next message has to wait.
bool CampaignRun::paced()
{
    if (m_rate == 0)
        return false;
    const qint64 wait = m_handed * 60'000 / m_rate - m_paceClock.elapsed();
    if (wait <= 0)
        return false;
    m_pacing = true;
    QTimer::singleShot(std::chrono::milliseconds(wait), Qt::PreciseTimer, this, [this] {
        m_pacing = false;
        schedule();
    });
    return true;
}

void CampaignRun::step()
{
    m_scheduled = false;
    if (m_busy || !hasWork())
        return;
    m_busy = true;
    if (!m_answers.isEmpty())
        takeAnswer(m_answers.dequeue());
    else
        walk();
    m_busy = false;
    if (m_walked && m_inFlight.isEmpty() && m_answers.isEmpty())
        finish(true);
    else
        schedule();
}

// One recipient at a time goes through linking and sending.
void CampaignRun::walk()
{
    if (m_stopRequested || m_failure || m_recipients.eof()) {
        m_walked = true;
        return;
    }
    if (!m_linked)
        linkRecipient();
    else if (!paced())
        sendRecipient();
}

// The address of the current recipient, or the one typed for a test.
QString CampaignRun::recipientAddress()
{
    if (isTest())
        return m_request.testAddress;
    QString email;
    Guard([&] { email = m_recipients.field(QStringLiteral("CEmail")).text(); });
    return email;
}

void CampaignRun::linkRecipient()
{
    m_linked = true;
    const QString email = recipientAddress();
    if (!m_only.isEmpty() && !m_only.contains(Suppression::key(email))) {
        advance();
        return;
    }
    QString first;
    Guard([&] { first = m_recipients.field(QStringLiteral("CFirst")).text(); });
    emit statusChanged(QStringLiteral("Linking: ") + email + QStringLiteral(" .."));
    if (const QString skipped = isTest() ? QString() : m_filter.skip(email); !skipped.isEmpty()) {
        recordOutcome(email.trimmed(), skipped);
        advance();
        return;
    }
    QString subject;
    m_message.body = composeBody(&subject, &m_composed);
    if (m_composed)
        addUnsubscribe(&m_message.body);
    m_message.replyTo = state().PReplyTo.trimmed();
    m_message.subject = subject;
    m_message.kind = m_request.family->bodyKind;
    m_message.pictures.clear();
    if (m_composed && m_message.kind == BodyKind::Html)
        Guard([&] { m_message.pictures = m_pictures.namedIn(*state().connection, m_message.body); });
    m_message.recipient = first.trimmed() + QLatin1Char('<') + email.trimmed() + QLatin1Char('>');
}

void CampaignRun::sendRecipient()
{
    m_linked = false;
    m_walked = isTest(); // a test sends one message
    const QString email = recipientAddress();
    emit statusChanged(QStringLiteral("Sending: ") + email + QStringLiteral(" .."));
    const QString address = email.trimmed();
    if (!m_composed) {
        recordOutcome(address, QStringLiteral("not sent: the content cannot be read"));
        advance();
        return;
    }
    if (!m_transportWanted) {
        recordOutcome(address, QStringLiteral("not sent: no mail transport chosen"));
        advance();
        return;
    }
    // SMTP writes it as From; the desktop's mail system writes its own and the Message-ID takes its domain.
    m_message.sender = state().PSmtpFrom;
    ++m_handed;
    m_inFlight.enqueue(address);
    // No more than a window's worth is ever in flight: the count fits an int.
    emit dispatch(m_done + int(m_inFlight.size()), m_message);
    Guard([&] { m_recipients.moveNext(); });
}

void CampaignRun::recipientSent(int index, int errorNumber, MailFailure failure, const QString& error)
{
    Q_UNUSED(index);
    m_answers.enqueue({errorNumber, failure, error});
    schedule();
}

void CampaignRun::takeAnswer(const Answer& answer)
{
    const QString address = m_inFlight.dequeue();
    ++m_done;
    emit progressChanged(m_done, m_total);
    if (answer.errorNumber == 0) {
        recordOutcome(address, QStringLiteral("sent"));
    } else if (answer.errorNumber == MailDispatcher::notSent) {
        recordOutcome(address, QStringLiteral("not sent: the run was stopped"));
    } else if (endsRun(answer.failure)) {
        recordOutcome(address, QStringLiteral("not sent: ") + mailFailureReason(answer.failure));
        if (!m_failure)
            failRun(answer);
    } else {
        recordOutcome(address, QStringLiteral("failed: ") + answer.error);
        const AppError error(answer.errorNumber, source, answer.error);
        if (m_stopRequested || m_failure)
            RecordError(error); // a stopped run shows no more boxes
        else
            LogError(error);
    }
}

// Said once: the messages still on their way come back with the same failure.
void CampaignRun::failRun(const Answer& answer)
{
    m_failure = answer.failure;
    RecordError(AppError(answer.errorNumber, source, answer.error));
    state().messages().notice(answer.error);
}

void CampaignRun::recordOutcome(const QString& address, const QString& outcome)
{
    if (m_log)
        m_log->write(address, state().clock.now(), outcome);
}

// A recipient that was not handed to the worker is done at once.
void CampaignRun::advance()
{
    m_linked = false;
    ++m_done;
    emit progressChanged(m_done, m_total);
    Guard([&] { m_recipients.moveNext(); });
}

// After a failure that ends the run, every recipient not yet handed over is logged with its reason.
void CampaignRun::logRemaining()
{
    if (isTest())
        return;
    const QString outcome = QStringLiteral("not sent: ") + mailFailureReason(*m_failure);
    while (m_recipients.isOpen() && !m_recipients.eof()) {
        QString email;
        Guard([&] { email = m_recipients.field(QStringLiteral("CEmail")).text(); });
        recordOutcome(email.trimmed(), outcome);
        ++m_done;
        if (!Guard([&] { m_recipients.moveNext(); }))
            break;
    }
    emit progressChanged(m_done, m_total);
}

// The worker closes the connection while the window's part ends (cutting the line if the
// server does not say goodbye in time); the run is over when both are done.
void CampaignRun::finish(bool completed)
{
    m_walked = true;
    if (m_dispatcher) {
        QMetaObject::invokeMethod(m_dispatcher, &MailDispatcher::close, Qt::QueuedConnection);
        QTimer::singleShot(closeGraceMs, this, [this] {
            if (m_dispatcher)
                m_dispatcher->hangUp();
        });
    }
    if (m_failure)
        logRemaining();
    else if (completed)
        state().messages().notice(QStringLiteral("Message(s) Sent!"));
    emit statusChanged(QStringLiteral("."));
    if (m_recipients.isOpen())
        m_recipients.close();
    m_log.reset();
    m_windowDone = true;
    endWhenClosed();
}

void CampaignRun::transportClosed()
{
    m_thread.quit();
    m_thread.wait();
    delete m_dispatcher;
    m_dispatcher = nullptr;
    endWhenClosed();
}

void CampaignRun::endWhenClosed()
{
    if (!m_windowDone || m_dispatcher)
        return;
    m_running = false;
    emit finished();
}
