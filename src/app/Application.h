#pragma once
#include "base/ExitCode.h"

#include <memory>

class KKMain;
class ProgramState;
class RecordEngine;

// The program itself: it owns the program state and plugs the program's parts into each
// other once the main window exists - the record engine as the main window's module host, the
// tool screens of the main window's menus and the report screen of the Report operation (a
// module's extra registers itself beside its class). The executable and the end-to-end tests
// both start the program through it.
//
// A new part plugs in by adding its line to plugIn() (Application.cpp):
//   main.setToolScreen(ToolScreen::Import, [](KKMain& w) {...}); // a tool screen of the menus
//   engine.setReportOpener([] {...});                          // what the Report operation opens
class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    ProgramState& state() const { return *m_state; }

    // Runs the start-up (splash and maintenance, log-in, main window). Returns the shown main
    // window, or nullptr when the program ends before it, with exitCode().
    KKMain* start();
    ExitCode exitCode() const { return m_exitCode; }

    RecordEngine* engine() const { return m_engine.get(); }

private:
    // Plugs every part into the main window and the record engine.
    void plugIn(KKMain& main, RecordEngine& engine);

    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<RecordEngine> m_engine;
    std::unique_ptr<KKMain> m_main;
    ExitCode m_exitCode = ExitCode::Success;
};
