#include "campaigns/CampaignRun.h"

#include "campaigns/CampaignLetter.h"
#include "campaigns/DeliveryLog.h"
#include "campaigns/MailDispatcher.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"

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
    emit statusChanged(QStringLiteral("Docking.."));

    Recordset content;
    if (!openContent(content) || !openRecipients()) {
        finish(false);
        return;
    }
    m_total = m_recipients.recordCount();
    m_done = 0;
    openTransport();
    m_log = std::make_unique<DeliveryLog>(state().DataFolder + QStringLiteral("/Docs/Sent"), m_request.family->screen,
                                          m_request.campaignId, Clock::now());
    emit progressChanged(0, m_total);
    QMetaObject::invokeMethod(this, &CampaignRun::linkRecipient, Qt::QueuedConnection);
}

void CampaignRun::stop() { m_stopRequested = true; }

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

void CampaignRun::linkRecipient()
{
    if (m_stopRequested || m_recipients.eof()) {
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
    QString subject;
    m_message.body = composeBody(&subject, &m_composed);
    m_message.subject = subject;
    m_message.kind = m_request.family->bodyKind;
    m_message.recipient = first.trimmed() + QLatin1Char('<') + email.trimmed() + QLatin1Char('>');
    QMetaObject::invokeMethod(this, &CampaignRun::sendRecipient, Qt::QueuedConnection);
}

void CampaignRun::sendRecipient()
{
    emit statusChanged(QStringLiteral("Sending: ") + m_recipients.field(QStringLiteral("CEmail")).text() + QStringLiteral(" .."));
    if (!m_composed) {
        recordOutcome(QStringLiteral("not sent: the content cannot be read"));
        advance();
        return;
    }
    if (!m_transportWanted) {
        recordOutcome(QStringLiteral("not sent: no mail transport chosen"));
        advance();
        return;
    }
    if (!m_dispatcher) {
        LogError(AppError(MailErrors::NoTransport, source, QStringLiteral("No mail transport: ") + m_transportError));
        recordOutcome(QStringLiteral("failed: no mail transport"));
        advance();
        return;
    }
    m_message.sender = mailTransportKind(state().PMailType) == MailTransportKind::Smtp ? state().PSmtpFrom : QString();
    emit dispatch(m_done, m_message);
}

void CampaignRun::recipientSent(int index, int errorNumber, const QString& error)
{
    Q_UNUSED(index);
    if (errorNumber == 0) {
        recordOutcome(QStringLiteral("sent"));
    } else {
        recordOutcome(QStringLiteral("failed: ") + error);
        LogError(AppError(errorNumber, source, error));
    }
    advance();
}

void CampaignRun::recordOutcome(const QString& outcome)
{
    QString address;
    Guard([&] { address = m_recipients.field(QStringLiteral("CEmail")).text().trimmed(); });
    if (m_log)
        m_log->write(address, Clock::now(), outcome);
}

void CampaignRun::advance()
{
    ++m_done;
    emit progressChanged(m_done, m_total);
    Guard([&] { m_recipients.moveNext(); });
    QMetaObject::invokeMethod(this, &CampaignRun::linkRecipient, Qt::QueuedConnection);
}

void CampaignRun::finish(bool completed)
{
    m_thread.quit();
    m_thread.wait();
    delete m_dispatcher;
    m_dispatcher = nullptr;
    if (completed)
        Messages::current().notice(QStringLiteral("Message(s) Sent!"));
    emit statusChanged(QStringLiteral("."));
    if (m_recipients.isOpen())
        m_recipients.close();
    m_log.reset();
    m_running = false;
    emit finished();
}
