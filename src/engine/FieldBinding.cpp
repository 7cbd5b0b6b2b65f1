#include "engine/DataGrid.h"
#include "engine/ModuleExtra.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"
#include "platform/DateText.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "platform/DbBackend.h"

#include <QLabel>

namespace Engine {

namespace {
QString recordSql()
{
    ProgramState& s = state();
    return QStringLiteral("Select * From ") + s.ModuleTable + QStringLiteral(" Where EId= ")
           + QString::number(s.ListRecordset.currentId());
}

void closeRecord()
{
    Recordset& r = state().RecordRecordset;
    if (r.isOpen())
        r.close();
}
}

void LoadRecord()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    try {
        const QString sql = recordSql();
        closeRecord();
        s.RecordRecordset.open(sql, *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        if (s.RecordRecordset.eof())
            DbBackend::deletedByAnother(s.ModuleTable, s.ListRecordset.currentId());
        s.LoadedRecord = s.RecordRecordset.rows().value(0);
    } catch (const AppError& e) {
        // Nothing to show: the boxes keep what they hold.
        if (e.number() != DbErrors::DeletedByAnother) {
            LogError(e);
            return;
        }
        // The screen's extras still leave any edit of theirs.
        Messages::current().notice(QStringLiteral("This record was deleted by another user."));
        RunModuleHook(HookTag::DataLoad);
        Guard(closeRecord);
        return;
    } catch (const std::exception& e) {
        LogError(e);
        return;
    }
    for (int i = 0; i <= s.ModuleFieldCount; ++i)
        Guard([&] {
            Field f = s.RecordRecordset.field(i);
            screen->setText(i, screen->kind(i) == FieldKind::Date ? DateText::format(f.value()) : f.text());
        });
    RunModuleHook(HookTag::DataLoad);
    Guard(closeRecord);
}

void InitRecord()
{
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    screen->setText(0, QStringLiteral("(New)"));
    for (int i = 1; i <= screen->fieldCount(); ++i) {
        const FieldKind kind = screen->kind(i);
        if (kind == FieldKind::Date) {
            screen->setText(i, DateText::format(state().clock.today()));
        } else if (kind == FieldKind::MasterId) {
            screen->setText(i, QStringLiteral("0"));
            if (QLabel* l = screen->listLabel(i))
                l->setText(QStringLiteral("."));
        } else {
            screen->setText(i, QString());
        }
    }
    RunModuleHook(HookTag::DataInit);
}

bool ValidateFields()
{
    RecordScreen* screen = activeScreen();
    if (!screen)
        return false;
    if (ModuleExtra* extra = screen->extra(); extra && !extra->validate(*screen))
        return false;
    QString list;
    for (int i = 1; i <= state().ModuleFieldCount; ++i) {
        const QString text = screen->text(i);
        const bool bad = screen->kind(i) == FieldKind::Date ? !DateText::isDate(text) : text.trimmed().isEmpty();
        if (bad)
            list += screen->fieldLabel(i)->text() + QLatin1Char('\n');
    }
    if (list.isEmpty())
        return true;
    Messages::current().error(QStringLiteral("Empty/Invalid Fields:\n\n") + list, QStringLiteral("Error"));
    return false;
}

void SaveRecord()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    const QString sql = recordSql();
    closeRecord();
    s.RecordRecordset.open(sql, *s.connection, CursorType::Dynamic, LockType::Optimistic);
    if (s.RecordRecordset.eof())
        DbBackend::deletedByAnother(s.ModuleTable, s.ListRecordset.currentId());
    // The save goes through only if nobody changed the record since the screen showed it.
    s.RecordRecordset.setReadValues(s.LoadedRecord);
    s.connection->beginTrans();
    try {
        for (int i = 1; i <= s.ModuleFieldCount; ++i)
            if (!screen->isLocked(i))
                s.RecordRecordset.field(i).setValue(screen->text(i));
        s.RecordRecordset.update();
    } catch (...) {
        // Nothing was written: the transaction ends empty and the record set forgets the edit.
        Guard([&] { s.RecordRecordset.cancelUpdate(); });
        try {
            s.connection->commitTrans();
        } catch (...) {
        }
        throw;
    }
    RunModuleHook(HookTag::DataSave);
    s.connection->commitTrans();
    Guard(closeRecord);
}

void TakeStoredRecord()
{
    ProgramState& s = state();
    Recordset now;
    now.open(recordSql(), *s.connection, CursorType::Static, LockType::ReadOnly);
    if (now.eof())
        DbBackend::deletedByAnother(s.ModuleTable, s.ListRecordset.currentId());
    s.LoadedRecord = now.rows().first();
}

void CheckRecordUnchanged()
{
    ProgramState& s = state();
    Recordset now;
    now.open(recordSql(), *s.connection, CursorType::Static, LockType::ReadOnly);
    if (now.eof())
        DbBackend::deletedByAnother(s.ModuleTable, s.LoadedRecord.value(0).toLongLong());
    if (now.rows().first() != s.LoadedRecord)
        DbBackend::changedByAnother(s.ModuleTable, s.LoadedRecord.value(0).toLongLong());
}

void FormatGridValues(DataGrid& grid, Recordset& rs)
{
    if (!rs.isOpen() || rs.recordCount() == 0)
        return;
    const auto& rows = rs.rows();
    for (int r = 1; r < grid.rowCount() && r - 1 < rows.size(); ++r)
        for (int c = 0; c < grid.columnCount() && c < rs.fieldCount(); ++c) {
            const QVariant& v = rows.at(r - 1).at(c);
            if (v.isNull())
                continue;
            const int type = rs.columns().at(c).type;
            if (type == FieldType::Double)
                grid.setCellText(r, c, QString::number(v.toDouble(), 'f', 2));
            else if (type == FieldType::Date)
                grid.setCellText(r, c, DateText::format(v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate()));
        }
}

}
