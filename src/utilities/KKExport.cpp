#include "utilities/KKExport.h"

#include "engine/DataGrid.h"
#include "platform/ExportFile.h"
#include "base/Messages.h"
#include "platform/Connection.h"
#include "platform/RowCursor.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

const QString kNoFile = QStringLiteral("*.Txt");
// The progress count is looked at every so many rows.
constexpr int kRowsPerStep = 64;

TableBrowser::Setup exportSetup()
{
    TableBrowser::Setup setup;
    setup.tables = state().ContentTables;
    setup.columnList = TableBrowser::ColumnList::Fields;
    // The key comes first, then the chosen columns in list order (the key never twice).
    setup.listingStatement = [](const TableBrowser& browser, const QString& clause) {
        QString sql = QStringLiteral("Select EId");
        const QListWidget* fields = browser.fieldList();
        for (int i = 1; i < fields->count(); ++i)
            if (fields->item(i)->isSelected())
                sql += QStringLiteral(", ") + fields->item(i)->text();
        return sql + QStringLiteral(" From ") + browser.table() + QStringLiteral(" Where ") + clause;
    };
    setup.listingLock = LockType::ReadOnly;
    setup.listName = QStringLiteral("cmdList");
    setup.listCaption = QStringLiteral("<List");
    setup.gridName = QStringLiteral("grdExport");
    setup.countLabel = 31;
    setup.formatValues = true;
    setup.listingIsPreview = true;
    return setup;
}

}

KKExport::KKExport(QWidget* parent)
    : FileTableScreen({QStringLiteral("KKExport"), QStringLiteral("Export"), QStringLiteral("Export To Text File"),
                       QStringLiteral("cmdExport"), QStringLiteral("Export>")},
                      exportSetup(), parent)
{
    connect(chooseButton(), &QPushButton::clicked, this, &KKExport::chooseFile);
    connect(runButton(), &QPushButton::clicked, this, &KKExport::exportRecords);
    ApplyLook(this);
    browser().BuildFieldLists();
    connect(browser().tableBox(), &QComboBox::currentTextChanged, &browser(), &TableBrowser::BuildFieldLists);
}

void KKExport::chooseFile()
{
    fileBox()->setText(chooseFileName(QFileDialog::AcceptSave,
                                      {QStringLiteral("Text (*.Txt)"), QStringLiteral("Comma-separated values (*.csv)")},
                                      kNoFile));
}

QVector<int> KKExport::columnWidths(RowCursor& rows)
{
    const QVector<ColumnInfo>& columns = rows.columns();
    QVector<int> measured;
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].type != FieldType::VarChar)
            measured << i;
    QVector<int> longest(columns.size(), 0);
    while (!measured.isEmpty() && rows.next())
        for (int i : measured)
            longest[i] = std::max(longest[i], ExportFile::textWidth(rows.text(i)));
    QVector<int> widths(columns.size());
    for (int i = 0; i < columns.size(); ++i) {
        const int nameWidth = int(columns[i].name.size());
        switch (columns[i].type) {
        case FieldType::VarChar: widths[i] = std::max(columns[i].definedSize, nameWidth); break;
        case FieldType::Memo: widths[i] = std::max(nameWidth, std::min(longest[i], kMemoWidth)); break;
        default: widths[i] = std::max(nameWidth, longest[i]); break;
        }
    }
    return widths;
}

void KKExport::exportRecords()
{
    // A run in progress is not started again (the frame is disabled, but a queued call may come).
    if (m_run.isRunning())
        return;
    ProgramState& s = state();
    Messages& messages = Messages::current();
    if (!browser().listing().isOpen()) {
        messages.notice(QStringLiteral("List Records!"));
        return;
    }
    if (browser().listedTotal() == 0) {
        messages.notice(QStringLiteral("No Records!"));
        return;
    }
    const QString path = fileBox()->text().trimmed();
    if (path.isEmpty()) {
        messages.notice(QStringLiteral("Select File!"));
        return;
    }
    if (!messages.question(QStringLiteral("Confirm Export?")))
        return;

    // The listed records are read afresh, once for the widths and once for the file.
    m_run.start();
    int done = 0;
    const QString statement = browser().listingStatement();
    DbBackend& db = s.connection->backend();
    ExportFile file;
    const bool written = Guard([&] {
        const ScopedRead scoped(db, browser().scope());
        const QVector<int> widths = columnWidths(*db.openCursor(statement));
        const std::unique_ptr<RowCursor> rows = db.openCursor(statement);
        const int columns = int(rows->columns().size());
        file.open(path, ExportFile::formatFor(path), widths);
        QStringList names;
        for (const ColumnInfo& c : rows->columns())
            names << c.name;
        file.writeRecord(names);
        QVector<QByteArrayView> fields(columns);
        while (!m_run.stopRequested() && rows->next()) {
            for (int i = 0; i < columns; ++i)
                fields[i] = rows->text(i);
            file.writeFields(fields);
            if (++done % kRowsPerStep == 0)
                m_run.step(done);
        }
        if (!m_run.stopRequested())
            file.close();
    });
    m_run.finish(done);
    // A run that failed or was stopped leaves no file behind.
    if (!written || m_run.stopRequested()) {
        file.discard();
        if (written)
            messages.notice(QStringLiteral("Stopped! No File Written."));
        return;
    }
    messages.notice(QStringLiteral("Done!"));
    accept();
}
