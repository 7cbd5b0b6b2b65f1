#include "engine/RecordEngine.h"

#include "base/ModuleCatalogue.h"
#include "engine/ModuleExtra.h"
#include "engine/RecordScreen.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QApplication>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

namespace Engine {

RecordScreen* activeScreen() { return qobject_cast<RecordScreen*>(state().ActiveForm.data()); }

void OpenModule()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (s.mainView) {
        s.mainView->setStatusText(1, QStringLiteral("Loading..."));
        s.mainView->setDashboardVisible(false);
    }
    Guard([&] {
        if (s.ListRecordset.isOpen())
            s.ListRecordset.close();
        s.ListRecordset.open(QStringLiteral("Select EId, EDate From ") + s.ModuleTable, *s.connection, CursorType::Dynamic, LockType::Optimistic);
    });
    Guard([&] { ApplyLook(screen); });
    Guard([&] { RunOperation(Operation::Last); });
    SetCommandMode(CommandMode::View);
    if (s.mainView && screen)
        s.mainView->setStatusText(1, screen->def().caption);
}

void CloseModule()
{
    ProgramState& s = state();
    if (s.mainView) {
        s.mainView->setStatusText(1, QStringLiteral("Ready"));
        if (s.CShowDash == QLatin1String("Y")) {
            s.mainView->setDashboardVisible(true);
            Guard([&] { s.mainView->refreshDashboard(); });
        }
    }
    for (Recordset* r : {&s.ListRecordset, &s.RecordRecordset})
        if (r->isOpen())
            r->close();
    s.ActiveForm = nullptr;
    s.NewRecordFlag = false;
    s.ReportNumber = 0;
    SetCommandMode(CommandMode::Help);
}

void SetCommandMode(CommandMode mode)
{
    ProgramState& s = state();
    s.CommandsOn = mode != CommandMode::Help;
    if (mode != CommandMode::Help)
        if (RecordScreen* screen = activeScreen())
            screen->setEditing(mode == CommandMode::Edit);
    if (s.mainView)
        s.mainView->setCommandMenus(mode);
}

}

namespace Engine {
RecordEngine* host() { return dynamic_cast<RecordEngine*>(state().moduleHost); }
}

RecordEngine::RecordEngine(QWidget* workspace) : m_workspace(workspace) { state().moduleHost = this; }

RecordEngine::~RecordEngine()
{
    if (ProgramState* s = ProgramState::current(); s && s->moduleHost == this)
        s->moduleHost = nullptr;
}

void RecordEngine::openReport()
{
    if (m_reportOpener) {
        const ReportOpener opener = m_reportOpener; // a copy: the opener may replace itself
        opener();
    }
}

RecordScreen* RecordEngine::open(const QString& screenName)
{
    ProgramState& s = state();
    const ModuleDef* def = ModuleCatalogue::find(screenName);
    if (!def || s.ActiveForm)
        return nullptr; // one record module at a time
    // The menu entry's values.
    s.ModuleTable.clear();
    s.ModuleTable = def->table;
    s.ModuleFieldCount = def->fieldCount;
    s.ReportNumber = def->reportNumber;

    auto* screen = new RecordScreen(*def);
    screen->setProperty("childWindow", true); // a record screen is always a child of the main window
    const auto& extras = ModuleExtras::all();
    if (const auto factory = extras.constFind(def->id); factory != extras.constEnd())
        screen->setExtra((*factory)());
    QObject::connect(screen, &RecordScreen::listButtonClicked, screen, [screen](int i) {
        if (!screen->extra() || !screen->extra()->listButton(*screen, i))
            Engine::ListButtonClick(i);
    });
    QObject::connect(screen, &RecordScreen::closing, screen, [screen] {
        if (state().ActiveForm == screen)
            Engine::CloseModule();
    });

    if (auto* area = qobject_cast<QMdiArea*>(m_workspace)) {
        QMdiSubWindow* sub = area->addSubWindow(screen);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowTitle(def->caption);
        sub->setWindowIcon(QApplication::windowIcon());
        // Load: the screen becomes ActiveForm and the module opens on its last record.
        s.ActiveForm = screen;
        Engine::OpenModule();
        sub->showMaximized();
    } else {
        s.ActiveForm = screen;
        Engine::OpenModule();
        screen->show();
    }
    return screen;
}

void RecordEngine::openModule(const QString& screenName) { open(screenName); }

void RecordEngine::runOperation(Operation operation) { Engine::RunOperation(operation); }

void RecordEngine::setCommandMode(CommandMode mode) { Engine::SetCommandMode(mode); }

bool RecordEngine::closeActiveModule()
{
    if (RecordScreen* screen = Engine::activeScreen()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(screen->parentWidget()))
            return sub->close();
        return screen->close();
    }
    return true;
}
