#include "utilities/KKExport.h"

#include "engine/DataGrid.h"
#include "platform/ExportFile.h"
#include "platform/Messages.h"
#include "platform/Recordset.h"
#include "shell/Look.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"
#include "utilities/TableBrowser.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

const QString kNoFile = QStringLiteral("*.Txt");

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
    return setup;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}

KKExport::KKExport(QWidget* parent)
    : QDialog(parent),
      m_browser(nullptr),
      m_frame(new QWidget(this)),
      m_progress(new QLabel(QStringLiteral("."), m_frame)),
      m_run(m_frame, m_progress)
{
    setObjectName(QStringLiteral("KKExport"));
    setWindowTitle(QStringLiteral("Export"));
    setModal(true);
    m_frame->setObjectName(QStringLiteral("frmMain"));
    m_progress->setObjectName(QStringLiteral("lblField_41"));
    m_browser = new TableBrowser(exportSetup(), m_frame);

    m_file = new QLineEdit(m_frame);
    m_file->setObjectName(QStringLiteral("txtFile"));
    m_file->setToolTip(QStringLiteral("Export To Text File"));
    m_file->setAccessibleName(QStringLiteral("File"));
    auto* chooseButton = new QPushButton(QStringLiteral(">"), m_frame);
    chooseButton->setObjectName(QStringLiteral("cmdFile"));
    chooseButton->setToolTip(QStringLiteral("Selection"));
    chooseButton->setAccessibleName(QStringLiteral("Selection"));
    chooseButton->setAutoDefault(false);
    auto* allButton = new QPushButton(QStringLiteral("<All"), m_frame);
    allButton->setObjectName(QStringLiteral("cmdAll"));
    allButton->setAutoDefault(false);
    auto* exportButton = new QPushButton(QStringLiteral("Export>"), m_frame);
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    exportButton->setToolTip(QStringLiteral("Export To Text File"));
    exportButton->setAutoDefault(false);
    QToolButton* close = MakeCloseCross(this);

    auto* grid = new QGridLayout(m_frame);
    grid->addWidget(caption(QStringLiteral("Table:"), m_browser->tableBox(), m_frame), 0, 0);
    grid->addWidget(m_browser->tableBox(), 0, 1, 1, 2);
    grid->addWidget(caption(QStringLiteral("File:"), m_file, m_frame), 0, 3);
    grid->addWidget(m_file, 0, 4, 1, 2);
    grid->addWidget(chooseButton, 0, 6);
    grid->addWidget(close, 0, 7);
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
    grid->addWidget(exportButton, 5, 6, 1, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_frame);

    connect(chooseButton, &QPushButton::clicked, this, &KKExport::chooseFile);
    connect(allButton, &QPushButton::clicked, m_browser, &TableBrowser::SelectAllFields);
    connect(exportButton, &QPushButton::clicked, this, &KKExport::exportRecords);

    ApplyLook(this);
    m_browser->BuildFieldLists();
    connect(m_browser->tableBox(), &QComboBox::currentTextChanged, m_browser, &TableBrowser::BuildFieldLists);
}

KKExport::~KKExport() = default;

void KKExport::reject()
{
    if (!m_run.isRunning())
        QDialog::reject();
}

void KKExport::chooseFile()
{
    QFileDialog dialog(this, QStringLiteral("Export"));
    dialog.setObjectName(QStringLiteral("comDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("Text (*.Txt)"), QStringLiteral("Comma-separated values (*.csv)")});
    if (m_file->text().trimmed().isEmpty())
        dialog.setDirectory(state().DataFolder + QStringLiteral("/Docs/"));
    dialog.selectFile(kNoFile);
    QString name;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        name = dialog.selectedFiles().constFirst();
    if (name.isEmpty() || name.endsWith(QLatin1Char('/') + kNoFile))
        name.clear();
    m_file->setText(name);
}

QVector<int> KKExport::columnWidths(Recordset& listing)
{
    const QVector<ColumnInfo>& columns = listing.columns();
    QVector<int> widths(columns.size());
    QVector<int> longest(columns.size(), 0);
    if (listing.recordCount() > 0) {
        listing.moveFirst();
        for (; !listing.eof(); listing.moveNext())
            for (int i = 0; i < columns.size(); ++i)
                if (columns[i].type != FieldType::VarChar)
                    longest[i] = std::max(longest[i], int(listing.field(i).text().trimmed().size()));
    }
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
    Recordset& listing = m_browser->listing();
    if (!listing.isOpen()) {
        messages.notice(QStringLiteral("List Records!"));
        return;
    }
    if (listing.recordCount() == 0) {
        messages.notice(QStringLiteral("No Records!"));
        return;
    }
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        messages.notice(QStringLiteral("Select File!"));
        return;
    }
    if (!messages.question(QStringLiteral("Confirm Export?")))
        return;

    m_run.start();
    ExportFile file;
    const QVector<int> widths = columnWidths(listing);
    if (!Guard([&] { file.open(path, ExportFile::formatFor(path), widths); })) {
        m_run.finish(0);
        return;
    }
    QStringList names;
    for (const ColumnInfo& c : listing.columns())
        names << c.name;
    Guard([&] { file.writeRecord(names); });
    s.AttemptCount = 0;
    for (listing.moveFirst(); !listing.eof(); listing.moveNext()) {
        QStringList values;
        for (int i = 0; i < listing.fieldCount(); ++i)
            values << listing.field(i).text();
        Guard([&] { file.writeRecord(values); });
        ++s.AttemptCount;
        m_run.step(s.AttemptCount);
    }
    Guard([&] { file.close(); });
    m_run.finish(s.AttemptCount);
    messages.notice(QStringLiteral("Done!"));
    accept();
}
