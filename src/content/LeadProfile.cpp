#include "content/LeadProfile.h"

#include "content/PictureScheme.h"
#include "platform/AppError.h"

#include <QApplication>
#include <QFile>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <unistd.h>

namespace {
QString editorScript()
{
    QFile file(QStringLiteral(":/content/LeadEditor.js"));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(53, QStringLiteral("LeadProfile"), QStringLiteral("The editor's script is missing"));
    return QString::fromUtf8(file.readAll());
}

// Runs before the web engine's own shutdown (shutdown routines run last registered, first).
void releaseProfile()
{
    if (qApp)
        delete qApp->findChild<LeadProfile*>(QString(), Qt::FindDirectChildrenOnly);
}
}

LeadProfile& LeadProfile::current()
{
    if (auto* profile = qApp->findChild<LeadProfile*>(QString(), Qt::FindDirectChildrenOnly))
        return *profile;
    return *new LeadProfile;
}

LeadProfile::LeadProfile()
{
    setParent(qApp);
    // The engine's sandbox cannot run as root (continuous integration does): without it there.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Off the record: nothing of the letters is kept on disk by the engine.
    m_profile = new QWebEngineProfile(this);
    QWebEngineScript script;
    script.setName(QStringLiteral("korvinaLead"));
    script.setSourceCode(editorScript());
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    m_profile->scripts()->insert(script);
    if (PictureScheme::isRegistered())
        m_profile->installUrlSchemeHandler(PictureScheme::Name, new PictureScheme(this));
    qAddPostRoutine(releaseProfile);
}

LeadProfile::~LeadProfile()
{
    qRemovePostRoutine(releaseProfile);
}

QWebEnginePage* LeadProfile::newPage(QObject* parent)
{
    auto* page = new QWebEnginePage(m_profile, parent);
    // The letter's own scripts never run here, and links in it are not followed.
    page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    connect(page, &QWebEnginePage::navigationRequested, page, [](QWebEngineNavigationRequest& request) {
        using N = QWebEngineNavigationRequest;
        if (request.navigationType() == N::TypedNavigation || request.navigationType() == N::OtherNavigation)
            request.accept();
        else
            request.reject();
    });
    return page;
}
