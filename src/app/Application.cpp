#include "app/Application.h"

#include "content/ContentModules.h"
#include "engine/RecordEngine.h"
#include "shell/KKMain.h"
#include "shell/KKOption.h"
#include "shell/KKDatabaseInfo.h"
#include "shell/KKStart.h"
#include "shell/ProgramState.h"
#include "shell/StartUp.h"
#include "shell/admin/AdminModules.h"
#include "utilities/KKExport.h"
#include "utilities/KKFindRepl.h"
#include "utilities/KKImport.h"

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
    KKMain::setToolScreen(QStringLiteral("Export"), [](KKMain& main) {
        KKExport screen(&main);
        screen.exec();
    });
    KKMain::setToolScreen(QStringLiteral("Import"), [](KKMain& main) {
        KKImport screen(&main);
        screen.exec();
        // A completed import ends the program, the way Quit does.
        if (screen.endsProgram())
            main.closeProgram();
    });
    KKMain::setToolScreen(QStringLiteral("FindReplace"), [](KKMain& main) {
        KKFindRepl screen(&main);
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
