#include "campaigns/DeliveryLogView.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>

namespace {
enum Column { AddressColumn, OutcomeColumn, ReasonColumn, TimeColumn };
constexpr int kindRole = Qt::UserRole + 1;

QString outcomeText(DeliveryLog::Outcome kind)
{
    switch (kind) {
    case DeliveryLog::Outcome::Sent:
        return QStringLiteral("Sent");
    case DeliveryLog::Outcome::Failed:
        return QStringLiteral("Failed");
    case DeliveryLog::Outcome::Skipped:
        return QStringLiteral("Skipped");
    }
    return {};
}

QList<QStandardItem*> row(const DeliveryLog::Entry& entry)
{
    const qsizetype colon = entry.outcome.indexOf(QLatin1Char(':'));
    auto* outcome = new QStandardItem(outcomeText(entry.kind()));
    auto* when = new QStandardItem;
    when->setData(entry.when, Qt::DisplayRole); // shown in the user's format, sorted as a time
    outcome->setData(int(entry.kind()), kindRole);
    return {new QStandardItem(entry.address), outcome,
            new QStandardItem(colon < 0 ? QString() : entry.outcome.mid(colon + 1).trimmed()),
            when};
}
}

DeliveryLogView::DeliveryLogView(const QList<DeliveryLog::Entry>& entries, QWidget* parent)
    : QDialog(parent), m_model(new QStandardItemModel(0, 4, this)), m_filter(new QSortFilterProxyModel(this)),
      m_search(new QSortFilterProxyModel(this)), m_outcome(new QComboBox(this)), m_address(new QLineEdit(this)),
      m_table(new QTableView(this)),
      m_sendFailed(new QPushButton(QStringLiteral("Send Failed Again"), this))
{
    setWindowTitle(QStringLiteral("Delivery Log"));
    m_model->setHorizontalHeaderLabels({QStringLiteral("Address"), QStringLiteral("Outcome"), QStringLiteral("Reason"),
                                        QStringLiteral("Time")});
    for (const DeliveryLog::Entry& entry : entries) {
        m_model->appendRow(row(entry));
        if (entry.kind() == DeliveryLog::Outcome::Failed)
            m_failed << entry.address;
    }
    setUpTable();
    setUpFilters();
    m_sendFailed->setObjectName(QStringLiteral("cmdSendFailed"));
    m_sendFailed->setEnabled(!m_failed.isEmpty());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_sendFailed, QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Show:"), this);
    label->setBuddy(m_outcome);
    top->addWidget(label);
    top->addWidget(m_outcome);
    top->addWidget(m_address, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(720, 420);
}

void DeliveryLogView::showOutcome(int index)
{
    const QVariant kind = m_outcome->itemData(index);
    m_filter->setFilterFixedString(kind.isValid() ? QString::number(kind.toInt()) : QString());
}

void DeliveryLogView::setUpTable()
{
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(OutcomeColumn);
    m_filter->setFilterRole(kindRole);
    m_search->setSourceModel(m_filter);
    m_search->setFilterKeyColumn(AddressColumn);
    m_search->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_table->setObjectName(QStringLiteral("tblLog"));
    m_table->setModel(m_search);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); // the log's order until a column is clicked
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setSectionResizeMode(ReasonColumn, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
}

void DeliveryLogView::setUpFilters()
{
    m_outcome->setObjectName(QStringLiteral("cmbOutcome"));
    m_outcome->setAccessibleName(QStringLiteral("Show"));
    m_outcome->addItem(QStringLiteral("All"));
    for (const auto kind : {DeliveryLog::Outcome::Sent, DeliveryLog::Outcome::Failed, DeliveryLog::Outcome::Skipped})
        m_outcome->addItem(outcomeText(kind), int(kind));
    connect(m_outcome, &QComboBox::currentIndexChanged, this, &DeliveryLogView::showOutcome);
    m_address->setObjectName(QStringLiteral("txtAddress"));
    m_address->setPlaceholderText(QStringLiteral("Address contains"));
    m_address->setAccessibleName(QStringLiteral("Address contains"));
    m_address->setClearButtonEnabled(true);
    connect(m_address, &QLineEdit::textChanged, m_search, &QSortFilterProxyModel::setFilterFixedString);
}
