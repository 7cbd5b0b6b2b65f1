#include "utilities/KKImport.h"

#include "base/Clock.h"
#include "platform/DateText.h"
#include "base/Messages.h"
#include "shell/ArchiveNames.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

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
    if (m_target.isOpen())
        m_target.close();
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
    Messages& messages = Messages::current();
    const QString path = fileBox()->text().trimmed();
    if (path.isEmpty()) {
        messages.notice(QStringLiteral("Select File!"));
        return;
    }
    browser().release();
    Recordset source;
    try {
        if (!m_sheet.load(path, kSheet))
            return;
        source.open(QStringLiteral("Select * From [Sheet1$]"), m_sheet.connection(), CursorType::Static,
                    LockType::Optimistic);
    } catch (...) {
        // The worksheet could not be read: nothing is logged, nothing stays listed.
        m_sheet.close();
        browser().fillFieldLists();
        messages.notice(QStringLiteral("Invalid File!"));
        return;
    }
    browser().setSample(std::move(source));
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
    if (m_target.isOpen())
        m_target.close();
    s.SqlText = QStringLiteral("Select * From ") + browser().table();
    if (!Guard([&] { m_target.open(s.SqlText, *s.connection, CursorType::Dynamic, LockType::Optimistic); }))
        return;

    // Each chosen worksheet column with its target column; EId is checked but never copied.
    QString invalid;
    QVector<QPair<int, int>> copied;
    for (const QString& name : chosen) {
        int target = -1;
        for (int i = 0; i < m_target.fieldCount(); ++i)
            if (m_target.columns().at(i).name.toUpper() == name.toUpper())
                target = i;
        if (target < 0)
            invalid += name + QStringLiteral("\r\n");
        else if (name.toUpper() != QLatin1String("EID"))
            copied.push_back({source.indexOf(name), target});
    }
    if (!invalid.isEmpty()) {
        messages.notice(QStringLiteral("Invalid Fields:\r\n\r\n") + invalid);
        return;
    }
    if (!messages.question(QStringLiteral("Confirm Import?")))
        return;

    m_run.start();
    s.AttemptCount = 0;
    // Each row is its own transaction: a stopped run keeps the rows already imported.
    for (source.moveFirst(); !source.eof() && !m_run.stopRequested(); source.moveNext()) {
        importRow(copied);
        ++s.AttemptCount;
        m_run.step(s.AttemptCount);
    }
    m_run.finish(s.AttemptCount);
    messages.notice(m_run.stopRequested() ? QStringLiteral("Stopped! %1 Records Imported.").arg(s.AttemptCount)
                                          : QStringLiteral("Done!"));
    removeYesterdaysArchive();
    messages.notice(QStringLiteral("DB Refresh Required!\r\nShutting Down..."));
    m_target.close();
    browser().release();
    m_endsProgram = true;
    accept();
}

void KKImport::importRow(const QVector<QPair<int, int>>& copied)
{
    ProgramState& s = state();
    Recordset& source = browser().listing();
    Guard([&] { s.connection->beginTrans(); });
    if (Guard([&] { m_target.addNew(); })) {
        for (int i = 1; i < m_target.fieldCount(); ++i)
            Guard([&] { m_target.field(i).setValue(defaultFor(m_target.columns().at(i).type)); });
        for (const auto& [from, to] : copied) {
            const QString value = source.field(from).text().trimmed();
            Guard([&] { m_target.field(to).setValue(value.isEmpty() ? kEmptyCell : value); });
        }
        Guard([&] { m_target.update(); });
    }
    Guard([&] { s.connection->commitTrans(); });
}

void KKImport::removeYesterdaysArchive()
{
    const QString archive = ArchiveNames::archivePath(state().clock.today().addDays(-1));
    if (QFile::exists(archive) && !QFile::remove(archive))
        LogError(AppError(75, QStringLiteral("Import"), QStringLiteral("Cannot delete %1.").arg(archive)));
}
