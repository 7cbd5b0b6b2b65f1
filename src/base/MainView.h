#pragma once
#include "base/Vocabulary.h"

#include <QString>

// What the rest of the program asks of the main window.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void setStatusText(int panel, const QString& text) = 0; // panels 1..7
    virtual void showEnterpriseName(const QString& shortName) = 0;  // txtComp1
    virtual void applyTexture() = 0;                                 // client-area back colour from CTexTure
    virtual void setDashboardVisible(bool visible) = 0;
    virtual void refreshDashboard() = 0;
    // Enables the operation entries and top menus for a command mode.
    virtual void setCommandMenus(CommandMode mode) = 0;
    virtual void closeProgram() = 0;                                 // unload the main window
    // The main window's share of the "KMainLoad" hook: user and organisation panels, txtComp1.
    virtual void mainLoadHook() = 0;
};

// What the main window asks of the record engine.
class ModuleHost {
public:
    virtual ~ModuleHost() = default;
    // Opens the record module with that screen name ("KKCustomer") as a child window.
    virtual void openModule(const QString& screenName) = 0;
    virtual void runOperation(Operation operation) = 0;
    virtual void setCommandMode(CommandMode mode) = 0;
    // Unloads the open record screen, if any (the main window's unload). False when the
    // screen refuses to close (a campaign run in progress).
    virtual bool closeActiveModule() = 0;
};
