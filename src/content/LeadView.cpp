#include "content/LeadView.h"

#include "platform/AppError.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <memory>
#include <unistd.h>

namespace {
constexpr int World = QWebEngineScript::ApplicationWorld;
constexpr int AnswerTime = 10000; // ms the engine may take to load a lead or answer a script
constexpr int ScriptError = 5;    // invalid procedure call

const QString ProfileName = QStringLiteral("korvinaLeads");

QString editorScript()
{
    QFile file(QStringLiteral(":/content/LeadEditor.js"));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(53, QStringLiteral("LeadView"), QStringLiteral("The editor's script is missing"));
    return QString::fromUtf8(file.readAll());
}

QWebEngineProfile* makeProfile()
{
    auto* profile = new QWebEngineProfile(qApp);
    profile->setObjectName(ProfileName);
    QWebEngineScript script;
    script.setName(QStringLiteral("korvinaLead"));
    script.setSourceCode(editorScript());
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(World);
    script.setRunsOnSubFrames(false);
    profile->scripts()->insert(script);
    return profile;
}
}

LeadView::LeadView(QWidget* parent) : QWebEngineView(parent)
{
    // The engine's sandbox cannot run as root (continuous integration does): without it there.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    setObjectName(QStringLiteral("htmLead"));
    setAccessibleName(QStringLiteral("Message(Html)"));
    setContextMenuPolicy(Qt::NoContextMenu);

    // One profile for every lead screen, owned by the application and made when first needed;
    // off the record: nothing of the letters is kept on disk by the engine.
    m_profile = qApp->findChild<QWebEngineProfile*>(ProfileName, Qt::FindDirectChildrenOnly);
    if (!m_profile)
        m_profile = makeProfile();
    auto* page = new QWebEnginePage(m_profile, this);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, true);
    connect(page, &QWebEnginePage::navigationRequested, this, [](QWebEngineNavigationRequest& request) {
        using N = QWebEngineNavigationRequest;
        if (request.navigationType() == N::TypedNavigation || request.navigationType() == N::OtherNavigation)
            request.accept();
        else
            request.reject();
    });
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
    // The page goes before the profile it was made with (the application's).
    delete page();
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
