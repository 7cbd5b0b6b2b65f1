#include "app/Application.h"

#include "content/ContentModules.h"
#include "engine/KKList.h"
#include "engine/RecordEngine.h"
#include "reports/KKReport.h"
#include "reports/LayoutFiles.h"
#include "shell/KKMain.h"
#include "shell/KKOption.h"
#include "shell/KKDatabaseInfo.h"
#include "shell/KKStart.h"
#include "shell/ProgramState.h"
#include "shell/StartUp.h"
#include "shell/admin/AdminModules.h"

#include <QApplication>
#include <QMdiArea>

Application::Application()
{
    registerContentModules();
    registerAdminModules();
    KKMain::setToolScreen(QStringLiteral("Options"), [](KKMain& main) {
        KKOption screen(&main);
        screen.exec();
    });
    KKMain::setToolScreen(QStringLiteral("Specifics"), [](KKMain& main) {
        KKSpecific screen(&main);
        screen.exec();
    });
    KKMain::setToolScreen(QStringLiteral("Report"), [](KKMain& main) {
        KKReport screen(main.reportCaption(), &main);
        screen.exec();
    });
    Engine::setReportOpener([] {
        KKReport screen(QString(), QApplication::activeWindow());
        screen.exec();
    });
    KKMain::setToolScreen(QStringLiteral("About"), [](KKMain& main) {
        KKStart screen(&main);
        screen.setAboutMode(state().EShort, QApplication::applicationVersion().remove(QLatin1Char(' ')));
        screen.exec();
    });
}

Application::~Application()
{
    m_main.reset();
    state().moduleHost = nullptr;
    m_engine.reset();
}

KKMain* Application::start()
{
    // A DataFolder made by an earlier version gets the report layouts it lacks.
    LayoutFiles::installMissing(state().DataFolder + QStringLiteral("/Bin/"));
    StartUpParts parts;
    parts.attach = [this](KKMain& main) {
        m_engine = std::make_unique<RecordEngine>(main.workspace());
        state().moduleHost = m_engine.get();
    };
    parts.runModuleHook = [](const char* tag) { Engine::RunModuleHook(QString::fromLatin1(tag)); };
    parts.setCommandMode = [](const char* mode) { Engine::SetCommandMode(QString::fromLatin1(mode)); };
    m_main = StartUp(parts);
    return m_main.get();
}
