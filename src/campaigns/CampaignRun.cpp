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

CampaignRun::~CampaignRun()
{
    m_thread.quit();
    m_thread.wait();
    delete m_dispatcher;
}

QString CampaignRun::logFileName() const { return m_log ? m_log->fileName() : QString(); }

void CampaignRun::start()
{
    if (m_running)
        return;
    m_running = true;
    m_stopRequested = false;
    m_walked = false;
    m_linking = false;
    emit statusChanged(QStringLiteral("Docking.."));

    Recordset content;
    if (!openContent(content) || !openRecipients() || !prepareBulkMail()) {
        finish(false);
        return;
    }
    m_total = m_recipients.recordCount();
    m_done = 0;
    openTransport();
    m_log = std::make_unique<DeliveryLog>(state().DataFolder + QStringLiteral("/Docs/Sent"), m_request.family->screen,
                                          m_request.campaignId, state().clock.now());
    emit progressChanged(0, m_total);
    scheduleLink();
}

void CampaignRun::stop()
{
    m_stopRequested = true;
    if (m_dispatcher)
        m_dispatcher->cancel(); // the message being sent still goes; the one waiting does not
}

bool CampaignRun::openContent(Recordset& content)
{
    const bool opened = Guard([&] {
        content.open(QStringLiteral("Select * From ") + m_request.family->contentTable + QStringLiteral(" Where EId= ")
                         + m_request.contentId,
                     *state().connection, CursorType::Static, LockType::ReadOnly);
        if (content.eof())
            throw AppError(noContentRecord, source,
                           QStringLiteral("No %1 record %2").arg(m_request.family->contentTable, m_request.contentId));
    });
    return opened;
}

bool CampaignRun::openRecipients()
{
    return Guard([&] {
        m_recipients.open(QStringLiteral("Select * From ktCustomer Where CType= ") + m_request.customerType
                              + QStringLiteral(" And ") + m_request.criteria,
                          *state().connection, CursorType::Static, LockType::ReadOnly);
    });
}

// The suppression list and the addresses the messages name, checked once before the first.
bool CampaignRun::prepareBulkMail()
{
    ProgramState& s = state();
    if (!Guard([&] { m_filter.load(*s.connection); }))
        return false;
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
    static const QHash<CampaignKind, QString> campaignTables{{CampaignKind::News, QStringLiteral("ktSNews")},
                                                             {CampaignKind::Lead, QStringLiteral("ktMLead")},
                                                             {CampaignKind::Survey, QStringLiteral("ktESurvey")}};
    const UnsubscribeToken::Recipient recipient{campaignTables.value(m_request.family->kind),
                                                m_request.campaignId.trimmed().toLongLong(), m_recipients.currentId()};
    const Unsubscribe::Request request{m_unsubscribeAddress, UnsubscribeToken::make(state().PTokenPasscd, recipient)};
    *body = Unsubscribe::appendLine(*body, m_request.family->bodyKind, request);
    m_message.listUnsubscribe = Unsubscribe::header(request);
}

void CampaignRun::openTransport()
{
    const MailTransportKind kind = mailTransportKind(state().PMailType);
    m_transportWanted = kind != MailTransportKind::None;
    if (!m_transportWanted)
        return;
    std::unique_ptr<MailTransport> transport = MailTransport::create(kind, mailSettings());
    try {
        transport->open();
    } catch (const AppError& e) {
        m_transportError = e.description();
        LogError(e);
        return;
    }
    m_dispatcher = new MailDispatcher(std::move(transport));
    m_dispatcher->moveToThread(&m_thread);
    connect(this, &CampaignRun::dispatch, m_dispatcher, &MailDispatcher::send, Qt::QueuedConnection);
    connect(m_dispatcher, &MailDispatcher::sent, this, &CampaignRun::recipientSent, Qt::QueuedConnection);
    m_thread.setObjectName(QStringLiteral("CampaignMail"));
    m_thread.start();
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

// One recipient at a time goes through linking and sending.
void CampaignRun::scheduleLink()
{
    if (m_linking)
        return;
    m_linking = true;
    QMetaObject::invokeMethod(this, &CampaignRun::linkRecipient, Qt::QueuedConnection);
}

void CampaignRun::linkRecipient()
{
    if (m_stopRequested || m_recipients.eof()) {
        m_linking = false;
        m_walked = true;
        if (m_inFlight.isEmpty())
            finish(true);
        return;
    }
    QString email;
    QString first;
    Guard([&] {
        email = m_recipients.field(QStringLiteral("CEmail")).text();
        first = m_recipients.field(QStringLiteral("CFirst")).text();
    });
    emit statusChanged(QStringLiteral("Linking: ") + email + QStringLiteral(" .."));
    if (const QString skipped = m_filter.skip(email); !skipped.isEmpty()) {
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
    m_message.recipient = first.trimmed() + QLatin1Char('<') + email.trimmed() + QLatin1Char('>');
    QMetaObject::invokeMethod(this, &CampaignRun::sendRecipient, Qt::QueuedConnection);
}

void CampaignRun::sendRecipient()
{
    QString email;
    Guard([&] { email = m_recipients.field(QStringLiteral("CEmail")).text(); });
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
    if (!m_dispatcher) {
        recordOutcome(address, QStringLiteral("failed: no mail transport"));
        LogError(AppError(MailErrors::NoTransport, source, QStringLiteral("No mail transport: ") + m_transportError));
        advance();
        return;
    }
    m_message.sender = mailTransportKind(state().PMailType) == MailTransportKind::Smtp ? state().PSmtpFrom : QString();
    m_inFlight.enqueue(address);
    emit dispatch(m_done + m_inFlight.size(), m_message);
    Guard([&] { m_recipients.moveNext(); });
    m_linking = false;
    if (m_inFlight.size() < window)
        scheduleLink();
}

void CampaignRun::recipientSent(int index, int errorNumber, const QString& error)
{
    Q_UNUSED(index);
    // An error box lets window events run; answers arriving meanwhile wait their turn.
    m_deferred.enqueue({errorNumber, error});
    if (m_reporting)
        return;
    while (!m_deferred.isEmpty())
        takeAnswer(m_deferred.dequeue());
    if (m_walked && m_inFlight.isEmpty())
        finish(true);
    else if (!m_walked && m_inFlight.size() < window)
        scheduleLink();
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
    } else {
        recordOutcome(address, QStringLiteral("failed: ") + answer.error);
        m_reporting = true;
        LogError(AppError(answer.errorNumber, source, answer.error));
        m_reporting = false;
    }
}

void CampaignRun::recordOutcome(const QString& address, const QString& outcome)
{
    if (m_log)
        m_log->write(address, state().clock.now(), outcome);
}

// A recipient that was not handed to the worker is done at once.
void CampaignRun::advance()
{
    ++m_done;
    emit progressChanged(m_done, m_total);
    Guard([&] { m_recipients.moveNext(); });
    m_linking = false;
    scheduleLink();
}

void CampaignRun::finish(bool completed)
{
    m_thread.quit();
    m_thread.wait();
    delete m_dispatcher;
    m_dispatcher = nullptr;
    if (completed)
        state().messages().notice(QStringLiteral("Message(s) Sent!"));
    emit statusChanged(QStringLiteral("."));
    if (m_recipients.isOpen())
        m_recipients.close();
    m_log.reset();
    m_running = false;
    emit finished();
}
