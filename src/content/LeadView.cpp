#include "content/LeadView.h"

#include "content/LeadProfile.h"
#include "platform/AppError.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>

namespace {
constexpr int World = QWebEngineScript::ApplicationWorld;
constexpr int AnswerTime = 30000; // ms the engine may take to load a lead or answer a script (a busy machine)
constexpr int ScriptError = 5;    // invalid procedure call
}

LeadView::LeadView(QWidget* parent) : QWebEngineView(parent)
{
    setObjectName(QStringLiteral("htmLead"));
    setAccessibleName(QStringLiteral("Message(Html)"));
    setContextMenuPolicy(Qt::NoContextMenu);

    QWebEnginePage* page = LeadProfile::current().newPage(this);
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (!ok)
            return;
        m_loaded = true;
        if (m_editable)
            post(QStringLiteral("korvinaLead.setEditable(true)"));
        emit loaded();
    });
    setPage(page);
}

LeadView::~LeadView()
{
    // The page goes with the view; nothing of it reaches this view while it does.
    page()->disconnect(this);
}

void LeadView::setDocument(const QString& html, const QUrl& base)
{
    m_loaded = false;
    page()->setHtml(html, base);
}

void LeadView::setEditable(bool editable)
{
    m_editable = editable;
    if (m_loaded)
        post(QStringLiteral("korvinaLead.setEditable(%1)").arg(editable ? QStringLiteral("true") : QStringLiteral("false")));
}

bool LeadView::waitForLoad()
{
    if (m_loaded)
        return true;
    QEventLoop loop;
    QTimer::singleShot(AnswerTime, &loop, &QEventLoop::quit);
    connect(this, &LeadView::loaded, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return m_loaded;
}

void LeadView::post(const QString& script)
{
    page()->runJavaScript(script, World);
}

QVariant LeadView::evaluate(const QString& script)
{
    if (!waitForLoad())
        throw AppError(ScriptError, QStringLiteral("htmLead"), QStringLiteral("The lead did not load in time"));
    struct Answer {
        bool done = false;
        QVariant value;
    };
    // The answer may come after the wait has given up: it then lands in the shared answer only.
    auto answer = std::make_shared<Answer>();
    QPointer<QEventLoop> waiting;
    QEventLoop loop;
    waiting = &loop;
    page()->runJavaScript(script, World, [answer, waiting](const QVariant& value) {
        answer->done = true;
        answer->value = value;
        if (waiting)
            waiting->quit();
    });
    if (!answer->done) {
        QTimer::singleShot(AnswerTime, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!answer->done)
        throw AppError(ScriptError, QStringLiteral("htmLead"), QStringLiteral("The editor did not answer in time"));
    return answer->value;
}
