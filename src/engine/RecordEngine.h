#pragma once
#include "base/MainView.h"
#include "base/ModuleCatalogue.h"
#include "engine/ModuleExtra.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class QWidget;
class DataGrid;
class Recordset;
class RecordScreen;
class RecordEngine;

// The record engine's routines. They work on the program-wide values (ActiveForm, ModuleTable,
// ModuleFieldCount, ReportNumber, ListRecordset, RecordRecordset, NewRecordFlag) and report
// failures through the shared error handler.
namespace Engine {
RecordScreen* activeScreen(); // ActiveForm as a record screen, or nullptr

void OpenModule();
void CloseModule();
void SetCommandMode(CommandMode mode);
void RunOperation(Operation n);

void LoadRecord();
void InitRecord();
bool ValidateFields();
// Writes the screen's fields into the current record in one transaction; the first failure
// throws AppError and nothing is written (DbErrors::ChangedByAnother or DeletedByAnother when
// another copy of the program changed or deleted the record since LoadRecord read it).
void SaveRecord();
// Takes the record as it is stored now as the one the screen was read from, so that the next
// SaveRecord writes over another copy's change. Throws AppError.
void TakeStoredRecord();
// Raises AppError (DbErrors::ChangedByAnother, DeletedByAnother) when the record on the screen
// is no longer stored as LoadRecord read it: another copy of the program changed or deleted it.
void CheckRecordUnchanged();
void FormatGridValues(DataGrid& grid, Recordset& recordset);

void RunModuleHook(HookTag tag);
bool CheckPermission(Operation n);
void ShowMasterName(const QString& sql, int i);

// The standard cmdList(i) click: picker reset, then pick list or cycling picker.
void ListButtonClick(int i);
void CyclingPicker(int i);
void OpenPickList(int i, const QString& source);

// The record engine of the program state (state().moduleHost), or nullptr.
RecordEngine* host();
}

// The engine as the main window sees it: opens record modules as child windows of the
// main window's workspace and runs operations on the open one. While it lives it is the
// program state's module host.
//
// A module's screen gets the extra registered for it (ModuleExtras); the reports plug in the
// screen the Report operation opens.
class RecordEngine : public ModuleHost {
public:
    // workspace: the main window's MDI area (nullptr: screens are top-level windows, for tests)
    explicit RecordEngine(QWidget* workspace = nullptr);
    ~RecordEngine() override;
    RecordEngine(const RecordEngine&) = delete;
    RecordEngine& operator=(const RecordEngine&) = delete;

    void openModule(const QString& screenName) override;
    void runOperation(Operation operation) override;
    void setCommandMode(CommandMode mode) override;
    bool closeActiveModule() override;

    // Opens a module and returns its screen (tests).
    RecordScreen* open(const QString& screenName);

    // What the Report operation opens for a module with a report (the report screen); it runs
    // with ActiveForm, ReportNumber and the module's values set. None: Report does nothing.
    using ReportOpener = std::function<void()>;
    void setReportOpener(ReportOpener opener) { m_reportOpener = std::move(opener); }
    void openReport();

private:
    QWidget* m_workspace;
    ReportOpener m_reportOpener;
};
