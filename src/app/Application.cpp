#include "app/Application.h"

#include "base/ProgramState.h"
#include "campaigns/KKReplies.h"
#include "engine/RecordEngine.h"
#include "reports/KKReport.h"
#include "reports/LayoutFiles.h"
#include "shell/KKDatabaseInfo.h"
#include "shell/KKMain.h"
#include "shell/KKOption.h"
#include "shell/KKStart.h"
#include "shell/StartUp.h"
#include "utilities/KKExport.h"
#include "utilities/KKFindRepl.h"
#include "utilities/KKImport.h"

#include <QApplication>
#include <QMdiArea>

Application::Application() : m_state(std::make_unique<ProgramState>()) {}

Application::~Application()
{
    // The main window goes first (it closes the open module), then the engine, then the state
    // with the connection.
    m_main.reset();
    m_engine.reset();
    m_state.reset();
}

KKMain* Application::start()
{
    // A DataFolder made by an earlier version gets the report layouts it lacks.
    LayoutFiles::installMissing(state().DataFolder + QStringLiteral("/Bin/"));
    StartUpParts parts;
    parts.attach = [this](KKMain& main) {
        m_engine = std::make_unique<RecordEngine>(main.workspace());
        plugIn(main, *m_engine);
    };
    parts.runModuleHook = [](HookTag tag) { Engine::RunModuleHook(tag); };
    parts.setCommandMode = [](CommandMode mode) { Engine::SetCommandMode(mode); };
    StartOutcome outcome = StartUp(parts);
    m_main = std::move(outcome.main);
    m_exitCode = outcome.exitCode;
    return m_main.get();
}

void Application::plugIn(KKMain& main, RecordEngine& engine)
{
    main.setToolScreen(ToolScreen::Options, [](KKMain& w) {
        KKOption screen(&w);
        screen.exec();
    });
    main.setToolScreen(ToolScreen::Specifics, [](KKMain& w) {
        KKSpecific screen(&w);
        screen.exec();
    });
    main.setToolScreen(ToolScreen::Export, [](KKMain& w) {
        KKExport screen(&w);
        screen.exec();
    });
    main.setToolScreen(ToolScreen::Import, [](KKMain& w) {
        KKImport screen(&w);
        screen.exec();
        // A completed import ends the program, the way Quit does.
        if (screen.endsProgram())
            w.closeProgram();
    });
    main.setToolScreen(ToolScreen::FindReplace, [](KKMain& w) {
        KKFindRepl screen(&w);
        screen.exec();
    });
    main.setToolScreen(ToolScreen::ProcessReplies, [](KKMain& w) {
        KKReplies screen(&w);
        screen.exec();
    });
    main.setToolScreen(ToolScreen::Report, [](KKMain& w) {
        KKReport screen(w.reportCaption(), &w);
        screen.exec();
    });
    engine.setReportOpener([&main] {
        KKReport screen(QString(), &main);
        screen.exec();
    });
    main.setToolScreen(ToolScreen::About, [](KKMain& w) {
        KKStart screen(&w);
        screen.setAboutMode(::state().EShort, QApplication::applicationVersion().remove(QLatin1Char(' ')));
        screen.exec();
    });
}
