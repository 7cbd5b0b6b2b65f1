#include "utilities/TableBrowser.h"

#include "engine/DataGrid.h"
#include "engine/RecordEngine.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "platform/Connection.h"
#include "base/ProgramState.h"
#include "engine/CriterionText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
const QString kPasscd = QStringLiteral("Passcd");
constexpr int kWideTwips = 1500;
constexpr int kWideAbove = 5; // actual size in the sample record
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

TableBrowser::TableBrowser(const Setup& setup, QWidget* frame) : QObject(frame), m_setup(setup)
{
    m_table = new QComboBox(frame);
    m_table->setObjectName(QStringLiteral("cmbTable"));
    m_table->setAccessibleName(QStringLiteral("Table"));
    if (m_setup.columnList == ColumnList::Fields) {
        m_fields = new QListWidget(frame);
        m_fields->setObjectName(QStringLiteral("lstField"));
        m_fields->setSelectionMode(QAbstractItemView::MultiSelection);
        m_fields->setAccessibleName(QStringLiteral("Fields"));
    } else {
        m_fieldBox = new QComboBox(frame);
        m_fieldBox->setObjectName(QStringLiteral("cmbField"));
        m_fieldBox->setAccessibleName(QStringLiteral("Field"));
    }
    m_criteria = new QComboBox(frame);
    m_criteria->setObjectName(QStringLiteral("cmbCriteria"));
    m_criteria->setAccessibleName(QStringLiteral("Criteria"));
    m_operator = new QComboBox(frame);
    m_operator->setObjectName(QStringLiteral("cmbOperator"));
    m_operator->setAccessibleName(QStringLiteral("Operator"));
    m_operator->addItems(CriterionText::operators());
    m_value = new QLineEdit(frame);
    m_value->setObjectName(QStringLiteral("txtCriteria"));
    m_value->setToolTip(QStringLiteral("Leave Blank For All Records"));
    m_value->setAccessibleName(QStringLiteral("Criteria value"));
    m_value->setMaxLength(kValueLength);
    m_list = new QPushButton(m_setup.listCaption, frame);
    m_list->setObjectName(m_setup.listName);
    m_list->setAutoDefault(false);
    m_list->setAccessibleName(QString(m_setup.listCaption).remove(QLatin1Char('<')));
    m_grid = new DataGrid(frame);
    m_grid->setObjectName(m_setup.gridName);
    m_grid->setAccessibleName(QStringLiteral("Records"));
    m_grid->setMinimumSize(640, 260);
    m_count = new QLabel(QStringLiteral("."), frame);
    m_count->setObjectName(QStringLiteral("lblField_%1").arg(m_setup.countLabel));
    m_recordsCaption = new QLabel(QStringLiteral("Records"), frame);
    m_recordsCaption->setBuddy(m_grid);

    m_table->addItems(m_setup.tables);
    connect(m_list, &QPushButton::clicked, this, &TableBrowser::ListRecords);
}

TableBrowser::~TableBrowser()
{
    if (m_sample.isOpen())
        m_sample.close();
    if (m_listing.isOpen())
        m_listing.close();
}

void TableBrowser::setSample(Recordset&& sample, int total)
{
    release();
    m_sample = std::move(sample);
    m_countedTotal = total;
}

QString TableBrowser::table() const { return m_table->currentText(); }

void TableBrowser::clearListing()
{
    if (m_listing.isOpen())
        m_listing.close();
    m_listingStatement.clear();
    m_countedTotal = -1;
    m_grid->clear();
    m_grid->setColumnCount(0);
    m_grid->clearRows();
    m_grid->setToolTip(QString());
    m_count->setText(QStringLiteral("."));
}

void TableBrowser::release()
{
    clearListing();
    if (m_sample.isOpen())
        m_sample.close();
}

void TableBrowser::BuildFieldLists()
{
    ProgramState& s = state();
    if (table().isEmpty())
        return;
    clearListing();
    if (m_fields)
        m_fields->clear();
    if (m_fieldBox)
        m_fieldBox->clear();
    m_criteria->clear();
    if (m_sample.isOpen())
        m_sample.close();
    Connection& connection = m_connection ? *m_connection : *s.connection;
    const QString sql = QStringLiteral("Select Top 1 * From ") + table();
    if (!Guard([&] { m_sample.open(sql, connection, CursorType::Dynamic, LockType::ReadOnly); }))
        return;
    if (m_sample.recordCount() == 0) {
        Messages::current().notice(QStringLiteral("No Records!"));
        return;
    }
    fillFieldLists();
}

void TableBrowser::fillFieldLists()
{
    if (m_fields)
        m_fields->clear();
    if (m_fieldBox)
        m_fieldBox->clear();
    m_criteria->clear();
    for (int i = 0; i < m_sample.fieldCount(); ++i) {
        const QString name = m_sample.columns().at(i).name;
        if (name.contains(kPasscd))
            continue;
        if (m_fields)
            m_fields->addItem(name);
        if (m_fieldBox)
            m_fieldBox->addItem(name, i);
        m_criteria->addItem(name);
    }
    if (m_fields && m_fields->count() > 0)
        m_fields->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    if (m_fieldBox)
        m_fieldBox->setCurrentIndex(0);
    m_criteria->setCurrentIndex(0);
    m_operator->setCurrentIndex(0);
}

int TableBrowser::columnType(const QString& name) const
{
    for (const ColumnInfo& c : m_sample.columns())
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return c.type;
    return FieldType::VarChar;
}

ReadScope TableBrowser::scope() const
{
    return ReadScope::of(m_setup.listingStatement(*this, QStringLiteral("1=1")));
}

std::optional<QString> TableBrowser::BuildCriteriaClause()
{
    const QString column = m_criteria->currentText();
    std::optional<QString> clause = CriterionText::condition(column, m_operator->currentText(), m_value->text(),
                                                             columnType(column));
    if (!clause)
        Messages::current().notice(QStringLiteral("Invalid Criteria!"));
    return clause;
}

bool TableBrowser::ListRecords()
{
    ProgramState& s = state();
    if (m_setup.sampleIsListing && !m_sample.isOpen()) {
        Messages::current().notice(QStringLiteral("List Records!"));
        return false;
    }
    if (!m_sample.isOpen() || m_sample.recordCount() == 0) {
        Messages::current().notice(QStringLiteral("No Records!"));
        return false;
    }
    const std::optional<QString> clause = BuildCriteriaClause();
    if (!clause)
        return false;
    const QString statement = m_setup.listingStatement(*this, *clause);
    Connection& connection = m_connection ? *m_connection : *s.connection;
    Recordset next;
    int counted = -1;
    if (!Guard([&] {
            const ScopedRead scoped(connection.backend(), scope());
            if (!m_setup.listingIsPreview) {
                next.open(statement, connection, CursorType::Dynamic, m_setup.listingLock);
                return;
            }
            // One row past what the grid shows tells whether the rest has to be counted.
            next.open(QStringLiteral("Select Top %1 * From (%2) AS listing").arg(kListedAtMost + 1).arg(statement),
                      connection, CursorType::Dynamic, m_setup.listingLock);
            counted = next.recordCount();
            if (counted > kListedAtMost)
                counted = connection.backend()
                              .query(QStringLiteral("Select Count(*) From (%1) AS listing").arg(statement))
                              .rows.value(0)
                              .value(0)
                              .toInt();
        }))
        return false;
    clearListing();
    if (m_setup.sampleIsListing)
        m_sample = std::move(next);
    else
        m_listing = std::move(next);
    m_listingStatement = statement;
    m_countedTotal = counted;
    showListing();
    return true;
}

void TableBrowser::applyWidths()
{
    Recordset& rows = listing();
    for (int i = 0; i < rows.fieldCount(); ++i) {
        const QString name = rows.columns().at(i).name;
        if (name.contains(kPasscd)) {
            m_grid->setColumnWidthTwips(i, 0);
            continue;
        }
        Guard([&] {
            if (m_sample.recordCount() == 0)
                return;
            const int at = m_sample.indexOf(name);
            if (m_sample.position() != 0)
                m_sample.moveFirst();
            if (m_sample.field(at).actualSize() > kWideAbove)
                m_grid->setColumnWidthTwips(i, kWideTwips);
        });
    }
}

void TableBrowser::showListing()
{
    Recordset& rows = listing();
    if (!rows.isOpen())
        return;
    m_grid->bind(rows, kListedAtMost);
    applyWidths();
    if (m_setup.formatValues)
        Engine::FormatGridValues(*m_grid, rows);
    const int total = listedTotal();
    if (total <= kListedAtMost) {
        m_count->setText(QString::number(m_grid->rowCount() - 1));
        m_grid->setToolTip(QString());
    } else {
        m_count->setText(QStringLiteral(">1000"));
        m_grid->setToolTip(QStringLiteral("Partial Record List"));
    }
    Messages::current().notice(QStringLiteral("Total Records: ") + QString::number(total));
}

int TableBrowser::listedTotal()
{
    return m_countedTotal >= 0 ? m_countedTotal : listing().recordCount();
}

void TableBrowser::SelectAllFields()
{
    if (m_fields)
        m_fields->selectAll();
}

QStringList TableBrowser::selectedFields() const
{
    QStringList names;
    if (!m_fields)
        return names;
    for (int i = 0; i < m_fields->count(); ++i)
        if (m_fields->item(i)->isSelected())
            names << m_fields->item(i)->text();
    return names;
}
