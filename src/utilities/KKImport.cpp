#include "utilities/KKImport.h"

#include "base/Clock.h"
#include "platform/DbBackend.h"
#include "platform/RowCursor.h"
#include "platform/DateText.h"
#include "base/Messages.h"
#include "base/ArchiveNames.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "utilities/ColumnValues.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kSheet = QStringLiteral("Sheet1");
const QString kNoFile = QStringLiteral("*.Xls");
const QString kEmptyCell = QStringLiteral("-");

TableBrowser::Setup importSetup()
{
    TableBrowser::Setup setup;
    setup.tables = state().CustomerTables;
    setup.columnList = TableBrowser::ColumnList::Fields;
    setup.listingStatement = [](const TableBrowser&, const QString& clause) {
        return QStringLiteral("Select * From [Sheet1$] Where ") + clause;
    };
    setup.listingLock = LockType::Optimistic;
    setup.sampleIsListing = true;
    setup.listName = QStringLiteral("cmdFilter");
    setup.listCaption = QStringLiteral("<Filter");
    setup.gridName = QStringLiteral("grdImport");
    setup.countLabel = 31;
    setup.formatValues = false;
    setup.listingIsPreview = true;
    return setup;
}

// A new record's value of a column before anything is copied into it.
QVariant defaultFor(int type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Double: return 0;
    case FieldType::Date: return DateText::format(state().clock.today());
    default: return kEmptyCell;
    }
}

}

// What every row of one import shares: the target's columns from the second on (the first is
// numbered by the database), a new record's values, and the insert prepared once.
struct KKImport::Target {
    QVector<ColumnInfo> columns;
    QVector<QVariant> defaults;
    QVector<QPair<int, int>> copies; // column of the rows read -> position in `columns`
    ColumnValues values;
    std::unique_ptr<RowInserter> insert;
};

KKImport::KKImport(QWidget* parent)
    : FileTableScreen({QStringLiteral("KKImport"), QStringLiteral("Import"), QStringLiteral("Import From Excel File"),
                       QStringLiteral("cmdImport"), QStringLiteral("Import>")},
                      importSetup(), parent)
{
    browser().setConnection(&m_sheet.connection());
    auto* listButton = new QPushButton(QStringLiteral("<List"), m_frame);
    listButton->setObjectName(QStringLiteral("cmdList"));
    listButton->setAccessibleName(QStringLiteral("List"));
    listButton->setAutoDefault(false);
    grid()->addWidget(listButton, 1, 6);
    connect(chooseButton(), &QPushButton::clicked, this, &KKImport::chooseFile);
    connect(listButton, &QPushButton::clicked, this, &KKImport::listWorksheet);
    connect(runButton(), &QPushButton::clicked, this, &KKImport::importRecords);
    ApplyLook(this);
}

KKImport::~KKImport()
{
    browser().release();
}

void KKImport::chooseFile()
{
    fileBox()->setText(chooseFileName(QFileDialog::AcceptOpen,
                                      {QStringLiteral("Workbooks (*.xlsx *.ods *.Xls *.csv)"),
                                       QStringLiteral("Excel 97 (*.Xls)")},
                                      kNoFile));
}

void KKImport::listWorksheet()
{
    // A run in progress is not started again (the frame is disabled, but a queued call may come).
    if (m_run.isRunning())
        return;
    Messages& messages = Messages::current();
    const QString path = fileBox()->text().trimmed();
    if (path.isEmpty()) {
        messages.notice(QStringLiteral("Select File!"));
        return;
    }
    browser().release();
    // A big workbook takes a while: the rows read are counted, and closing the screen stops.
    m_run.start();
    int read = 0;
    const auto progress = [this, &read](int rows) {
        m_run.step(read = rows);
        return !m_run.stopRequested();
    };
    Recordset source;
    int total = -1;
    bool loaded = false;
    try {
        loaded = m_sheet.load(path, kSheet, progress);
        // The grid shows the first rows; the rest are counted and read again when imported.
        if (loaded) {
            source.open(QStringLiteral("Select Top %1 * From [Sheet1$]").arg(TableBrowser::kListedAtMost + 1),
                        m_sheet.connection(), CursorType::Static, LockType::Optimistic);
            if (source.recordCount() > TableBrowser::kListedAtMost)
                total = m_sheet.connection().backend().query(QStringLiteral("Select Count(*) From [Sheet1$]")).rows.value(0).value(0).toInt();
        }
    } catch (...) {
        // The worksheet could not be read: nothing is logged, nothing stays listed.
        m_run.finish(read);
        m_sheet.close();
        browser().fillFieldLists();
        messages.notice(QStringLiteral("Invalid File!"));
        return;
    }
    m_run.finish(read);
    if (!loaded) {
        m_sheet.close();
        browser().fillFieldLists();
        return;
    }
    browser().setSample(std::move(source), total);
    browser().fillFieldLists();
    browser().showListing();
}

void KKImport::importRecords()
{
    // A run in progress is not started again (the frame is disabled, but a queued call may come).
    if (m_run.isRunning())
        return;
    ProgramState& s = state();
    Messages& messages = Messages::current();
    Recordset& source = browser().listing();
    const QStringList chosen = browser().selectedFields();
    if (chosen.isEmpty()) {
        messages.notice(QStringLiteral("Select Fields!"));
        return;
    }
    if (!source.isOpen()) {
        messages.notice(QStringLiteral("List Records!"));
        return;
    }
    if (source.recordCount() == 0) {
        messages.notice(QStringLiteral("No Records!"));
        return;
    }
    // The target is opened for adding only: its columns are read, never its rows.
    DbBackend& db = s.connection->backend();
    Target target{{}, {}, {}, ColumnValues(db, browser().table()), {}};
    QVector<ColumnInfo> columns;
    if (!Guard([&] { columns = db.tableColumns(browser().table()); }))
        return;
    target.columns = columns.mid(1);

    // Each chosen worksheet column with its target column; EId is checked but never copied.
    // The worksheet's columns come after its row number in the rows read.
    QString invalid;
    for (const QString& name : chosen) {
        qsizetype to = -1;
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (columns.at(i).name.toUpper() == name.toUpper())
                to = i;
        if (to < 0)
            invalid += name + QStringLiteral("\r\n");
        else if (name.toUpper() != QLatin1String("EID"))
            target.copies.push_back({int(source.indexOf(name)) + 1, int(to) - 1});
    }
    if (!invalid.isEmpty()) {
        messages.notice(QStringLiteral("Invalid Fields:\r\n\r\n") + invalid);
        return;
    }
    if (!messages.question(QStringLiteral("Confirm Import?")))
        return;

    m_run.start();
    int imported = 0;
    QStringList refused;
    QString statement = browser().listingStatement();
    if (statement.isEmpty())
        statement = QStringLiteral("Select * From [Sheet1$] Where 1=1");
    // Each row is its own transaction: a stopped run keeps the rows already imported.
    Guard([&] { db.beginBulkWrites(); });
    Guard([&] {
        QStringList names;
        for (const ColumnInfo& column : std::as_const(target.columns)) {
            names << column.name;
            target.defaults << Recordset::convertedFor(column, defaultFor(column.type));
        }
        target.insert = db.prepareInsert(browser().table(), names);
        const std::unique_ptr<RowCursor> rows =
            m_sheet.connection().backend().openCursor(QStringLiteral("Select rowid, ") + statement.mid(QStringLiteral("Select ").size()));
        while (!m_run.stopRequested() && rows->next()) {
            importRow(*rows, target, refused);
            m_run.step(++imported);
        }
    });
    target.insert.reset();
    Guard([&] { db.endBulkWrites(); });
    m_run.finish(imported);
    if (!refused.isEmpty())
        messages.notice(QStringLiteral("Values Refused (Column Left At Default):\r\n\r\n") + refused.join(QStringLiteral("\r\n")));
    messages.notice(m_run.stopRequested() ? QStringLiteral("Stopped! %1 Records Imported.").arg(imported)
                                          : QStringLiteral("Done!"));
    removeYesterdaysArchive();
    messages.notice(QStringLiteral("DB Refresh Required!\r\nShutting Down..."));
    browser().release();
    m_endsProgram = true;
    accept();
}

// One worksheet row as a new record. A value the column cannot hold is refused: the column
// keeps its default, the refusal is logged with the worksheet row and noted in `refused`,
// and so is a row the database refuses.
void KKImport::importRow(RowCursor& row, Target& target, QStringList& refused)
{
    const QString sheetRow = QString::fromUtf8(row.text(0));
    QVector<QVariant> values = target.defaults;
    for (const auto& [from, to] : std::as_const(target.copies)) {
        QString value = QString::fromUtf8(row.text(from)).trimmed();
        if (value.isEmpty())
            value = kEmptyCell;
        try {
            values[to] = target.values.value(target.columns.at(to), value);
        } catch (const AppError& e) {
            RecordError(AppError(e.number(), e.source(), QStringLiteral("Worksheet row %1: %2").arg(sheetRow, e.description())));
            refused << QStringLiteral("Row %1, %2: %3").arg(sheetRow, target.columns.at(to).name, value);
        }
    }
    DbBackend& db = state().connection->backend();
    try {
        db.begin();
        try {
            target.insert->insert(values);
        } catch (...) {
            db.commit();
            throw;
        }
        db.commit();
    } catch (const AppError& e) {
        RecordError(AppError(e.number(), e.source(), QStringLiteral("Worksheet row %1: %2").arg(sheetRow, e.description())));
        refused << QStringLiteral("Row %1: %2").arg(sheetRow, e.description());
    }
}

void KKImport::removeYesterdaysArchive()
{
    const QString archive = ArchiveNames::archivePath(state().clock.today().addDays(-1));
    if (QFile::exists(archive) && !QFile::remove(archive))
        LogError(AppError(75, QStringLiteral("Import"), QStringLiteral("Cannot delete %1.").arg(archive)));
}
