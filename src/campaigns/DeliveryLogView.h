#pragma once
#include "campaigns/DeliveryLog.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// The delivery log of a campaign's last run as a list: address, outcome, reason and time,
// shown all or by outcome and narrowed to the addresses holding a text. "Send Failed Again"
// closes it with Accepted; failedAddresses() then names those to send to.
class DeliveryLogView : public QDialog {
    Q_OBJECT
public:
    explicit DeliveryLogView(const QList<DeliveryLog::Entry>& entries, QWidget* parent = nullptr);

    QStringList failedAddresses() const { return m_failed; }

private:
    void setUpTable();
    void setUpFilters();
    void showOutcome(int index);

    QStandardItemModel* m_model;
    QSortFilterProxyModel* m_filter;  // by outcome
    QSortFilterProxyModel* m_search;  // by address
    QComboBox* m_outcome;
    QLineEdit* m_address;
    QTableView* m_table;
    QPushButton* m_sendFailed;
    QStringList m_failed;
};
