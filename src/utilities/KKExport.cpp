#include "utilities/KKExport.h"

#include "engine/DataGrid.h"
#include "platform/ExportFile.h"
#include "base/Messages.h"
#include "platform/Recordset.h"
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
    Recordset& listing = browser().listing();
    if (!listing.isOpen()) {
        messages.notice(QStringLiteral("List Records!"));
        return;
    }
    if (listing.recordCount() == 0) {
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
