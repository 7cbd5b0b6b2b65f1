#pragma once
#include "shell/MainView.h"

#include <QString>
#include <functional>

class QWidget;
class DataGrid;
class Recordset;
class RecordScreen;

// The record engine's routines. They work on the program-wide values (ActiveForm, ModuleTable,
// ModuleFieldCount, ReportNumber, ListRecordset, RecordRecordset, NewRecordFlag) and report
// failures through the shared error handler.
namespace Engine {
RecordScreen* activeScreen(); // ActiveForm as a record screen, or nullptr

void OpenModule();
void CloseModule();
void SetCommandMode(const QString& mode);
void RunOperation(int n);

void LoadRecord();
void InitRecord();
bool ValidateFields();
void SaveRecord();
// Raises AppError (DbErrors::ChangedByAnother) when the record on the screen is no longer
// stored as LoadRecord read it: another copy of the program changed or deleted it.
void CheckRecordUnchanged();
void FormatGridValues(DataGrid& grid, Recordset& recordset);

void RunModuleHook(const QString& tag);
bool CheckPermission(int n);
void ShowMasterName(const QString& sql, int i);

// The standard cmdList(i) click: picker reset, then pick list or cycling picker.
void ListButtonClick(int i);
void CyclingPicker(int i);
void OpenPickList(int i, const QString& source);

// What the Report operation opens for a module with a report (the report screen).
void setReportOpener(std::function<void()> opener);
}

// The engine as the main window sees it: opens record modules as child windows of the
// main window's workspace and runs operations on the open one.
class RecordEngine : public ModuleHost {
public:
    // workspace: the main window's MDI area (nullptr: screens are top-level windows, for tests)
    explicit RecordEngine(QWidget* workspace = nullptr);
    void openModule(const QString& screenName) override;
    void runOperation(int n) override;
    void setCommandMode(const QString& mode) override;
    void closeActiveModule() override;

    // Opens a module and returns its screen (tests).
    RecordScreen* open(const QString& screenName);

private:
    QWidget* m_workspace;
};
