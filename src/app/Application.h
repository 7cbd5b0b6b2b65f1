#pragma once
#include <memory>

class KKMain;
class RecordEngine;

// Plugs the program's parts into each other: the module extras of the content and
// administration screens, the tool screens of the main window's menus, and the record engine
// as the main window's module host. The executable and the end-to-end tests both start the
// program through it.
class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the start-up (splash and maintenance, log-in, main window). Returns the shown main
    // window, or nullptr when the program ended before it.
    KKMain* start();

    KKMain* mainWindow() const { return m_main.get(); }
    RecordEngine* engine() const { return m_engine.get(); }

private:
    std::unique_ptr<RecordEngine> m_engine;
    std::unique_ptr<KKMain> m_main;
};
