#include "engine/DataGrid.h"

#include "platform/DateText.h"
#include "platform/Recordset.h"

#include <QHeaderView>
#include <QKeyEvent>

DataGrid::DataGrid(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { emit rowChosen(row + 1); });
}

void DataGrid::clearRows()
{
    clearContents();
    setRowCount(0);
}

void DataGrid::bind(Recordset& rs, int maxRows)
{
    clear();
    const auto& columns = rs.columns();
    setColumnCount(int(columns.size()));
    QStringList headers;
    for (const ColumnInfo& c : columns)
        headers << c.name;
    setHorizontalHeaderLabels(headers);
    const auto& rows = rs.rows();
    const int shown = maxRows >= 0 ? std::min(maxRows, int(rows.size())) : int(rows.size());
    setRowCount(shown);
    for (int c = 0; c < columns.size(); ++c) {
        // A password column is hidden and holds nothing, so no screen reader can read it out.
        const bool password = columns.at(c).name.contains(QLatin1String("Passcd"));
        setColumnHidden(c, password);
        for (int r = 0; r < shown; ++r) {
            const QVariant& v = rows.at(r).at(c);
            QString text;
            if (password || v.isNull())
                text.clear();
            else if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
                text = DateText::format(v);
            else
                text = v.toString();
            setItem(r, c, new QTableWidgetItem(text));
        }
    }
}

QString DataGrid::cellText(int row, int column) const
{
    if (row == 0) {
        const QTableWidgetItem* h = horizontalHeaderItem(column);
        return h ? h->text() : QString();
    }
    const QTableWidgetItem* i = item(row - 1, column);
    return i ? i->text() : QString();
}

void DataGrid::setCellText(int row, int column, const QString& text)
{
    if (row == 0) {
        setHorizontalHeaderItem(column, new QTableWidgetItem(text));
        return;
    }
    if (QTableWidgetItem* i = item(row - 1, column))
        i->setText(text);
    else
        setItem(row - 1, column, new QTableWidgetItem(text));
}

void DataGrid::setColumnWidthTwips(int column, int twips)
{
    if (twips <= 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    setColumnWidth(column, twips / 15);
}

int DataGrid::currentDataRow() const
{
    const int r = currentRow();
    return r < 0 ? 0 : r + 1;
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (currentDataRow() > 0)
            emit rowChosen(currentDataRow());
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        return;
    }
    QTableWidget::keyPressEvent(event);
}
