#include "utilities/KKImport.h"

#include "engine/DataGrid.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Messages.h"
#include "shell/ArchiveNames.h"
#include "shell/Look.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"
#include "utilities/TableBrowser.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

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

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// A new record's value of a column before anything is copied into it.
QVariant defaultFor(int type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Double: return 0;
    case FieldType::Date: return DateText::format(Clock::today());
    default: return kEmptyCell;
    }
}

}

KKImport::KKImport(QWidget* parent)
    : QDialog(parent), m_frame(new QWidget(this)), m_progress(new QLabel(QStringLiteral("."), m_frame)),
      m_run(m_frame, m_progress)
{
    setObjectName(QStringLiteral("KKImport"));
    setWindowTitle(QStringLiteral("Import"));
    setModal(true);
    m_frame->setObjectName(QStringLiteral("frmMain"));
    m_progress->setObjectName(QStringLiteral("lblField_41"));
    m_browser = new TableBrowser(importSetup(), m_frame);
    m_browser->setConnection(&m_sheet.connection());

    m_file = new QLineEdit(m_frame);
    m_file->setObjectName(QStringLiteral("txtFile"));
    m_file->setToolTip(QStringLiteral("Import From Excel File"));
    m_file->setAccessibleName(QStringLiteral("File"));
    auto* chooseButton = new QPushButton(QStringLiteral(">"), m_frame);
    chooseButton->setObjectName(QStringLiteral("cmdFile"));
    chooseButton->setToolTip(QStringLiteral("Selection"));
    chooseButton->setAccessibleName(QStringLiteral("Selection"));
    chooseButton->setAutoDefault(false);
    auto* listButton = new QPushButton(QStringLiteral("<List"), m_frame);
    listButton->setObjectName(QStringLiteral("cmdList"));
    listButton->setAutoDefault(false);
    auto* allButton = new QPushButton(QStringLiteral("<All"), m_frame);
    allButton->setObjectName(QStringLiteral("cmdAll"));
    allButton->setAutoDefault(false);
    auto* importButton = new QPushButton(QStringLiteral("Import>"), m_frame);
    importButton->setObjectName(QStringLiteral("cmdImport"));
    importButton->setToolTip(QStringLiteral("Import From Excel File"));
    importButton->setAutoDefault(false);
    QToolButton* close = MakeCloseCross(this);

    auto* grid = new QGridLayout(m_frame);
    grid->addWidget(caption(QStringLiteral("Table:"), m_browser->tableBox(), m_frame), 0, 0);
    grid->addWidget(m_browser->tableBox(), 0, 1, 1, 2);
    grid->addWidget(caption(QStringLiteral("File:"), m_file, m_frame), 0, 3);
    grid->addWidget(m_file, 0, 4, 1, 2);
    grid->addWidget(chooseButton, 0, 6);
    grid->addWidget(close, 0, 7);
    grid->addWidget(listButton, 1, 6);
    grid->addWidget(caption(QStringLiteral("Fields:"), m_browser->fieldList(), m_frame), 1, 0);
    grid->addWidget(m_browser->fieldList(), 1, 1, 2, 2);
    grid->addWidget(allButton, 1, 3);
    grid->addWidget(caption(QStringLiteral("Criteria:"), m_browser->criteriaBox(), m_frame), 3, 0);
    grid->addWidget(m_browser->criteriaBox(), 3, 1);
    grid->addWidget(m_browser->operatorBox(), 3, 2);
    grid->addWidget(m_browser->valueBox(), 3, 3, 1, 3);
    grid->addWidget(m_browser->listButton(), 3, 6);
    grid->addWidget(m_browser->grid(), 4, 0, 1, 8);
    grid->addWidget(m_browser->countLabel(), 5, 0);
    grid->addWidget(m_browser->recordsLabel(), 5, 1);
    grid->addWidget(m_progress, 5, 4);
    grid->addWidget(importButton, 5, 6, 1, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_frame);

    connect(chooseButton, &QPushButton::clicked, this, &KKImport::chooseFile);
    connect(listButton, &QPushButton::clicked, this, &KKImport::listWorksheet);
    connect(allButton, &QPushButton::clicked, m_browser, &TableBrowser::SelectAllFields);
    connect(importButton, &QPushButton::clicked, this, &KKImport::importRecords);
    ApplyLook(this);
}

KKImport::~KKImport()
{
    if (m_target.isOpen())
        m_target.close();
    m_browser->release();
}

void KKImport::reject()
{
    if (!m_run.isRunning())
        QDialog::reject();
}

void KKImport::chooseFile()
{
    QFileDialog dialog(this, QStringLiteral("Import"));
    dialog.setObjectName(QStringLiteral("comDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Workbooks (*.xlsx *.ods *.Xls *.csv)"), QStringLiteral("Excel 97 (*.Xls)")});
    if (m_file->text().trimmed().isEmpty())
        dialog.setDirectory(state().DataFolder + QStringLiteral("/Docs/"));
    QString name;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        name = dialog.selectedFiles().constFirst();
    if (name.endsWith(QLatin1Char('/') + kNoFile))
        name.clear();
    m_file->setText(name);
}

void KKImport::listWorksheet()
{
    Messages& messages = Messages::current();
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        messages.notice(QStringLiteral("Select File!"));
        return;
    }
    m_browser->release();
    Recordset source;
    try {
        m_sheet.load(path, kSheet);
        source.open(QStringLiteral("Select * From [Sheet1$]"), m_sheet.connection(), CursorType::Static,
                    LockType::Optimistic);
    } catch (...) {
        // The worksheet could not be read: nothing is logged, nothing stays listed.
        m_sheet.close();
        m_browser->fillFieldLists();
        messages.notice(QStringLiteral("Invalid File!"));
        return;
    }
    m_browser->setSample(std::move(source));
    m_browser->fillFieldLists();
    m_browser->showListing();
}

void KKImport::importRecords()
{
    // A run in progress is not started again (the frame is disabled, but a queued call may come).
    if (m_run.isRunning())
        return;
    ProgramState& s = state();
    Messages& messages = Messages::current();
    Recordset& source = m_browser->listing();
    const QStringList chosen = m_browser->selectedFields();
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
    s.SqlText = QStringLiteral("Select * From ") + m_browser->table();
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
    for (source.moveFirst(); !source.eof(); source.moveNext()) {
        importRow(copied);
        ++s.AttemptCount;
        m_run.step(s.AttemptCount);
    }
    m_run.finish(s.AttemptCount);
    messages.notice(QStringLiteral("Done!"));
    removeYesterdaysArchive();
    messages.notice(QStringLiteral("DB Refresh Required!\r\nShutting Down..."));
    m_target.close();
    m_browser->release();
    m_endsProgram = true;
    accept();
}

void KKImport::importRow(const QVector<QPair<int, int>>& copied)
{
    ProgramState& s = state();
    Recordset& source = m_browser->listing();
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
    const QString archive = ArchiveNames::archivePath(Clock::today().addDays(-1));
    if (QFile::exists(archive) && !QFile::remove(archive))
        LogError(AppError(75, QStringLiteral("Import"), QStringLiteral("Cannot delete %1.").arg(archive)));
}
