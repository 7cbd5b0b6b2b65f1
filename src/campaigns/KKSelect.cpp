#include "campaigns/KKSelect.h"

#include "engine/CriterionText.h"
#include "engine/DataGrid.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/Messages.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {
constexpr int valueLength = 10;
constexpr int columnTwips = 1200;
const QString neutral = QStringLiteral(" ( 1=1");
const QString previewBase = QStringLiteral("Select * From ktCustomer Where CType=");

// Password columns are neither offered nor shown.
bool isPasswordColumn(const QString& column) { return column.contains(QLatin1String("Passcd")); }

QComboBox* operatorBox(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(QStringLiteral("Operator"));
    box->addItems(CriterionText::operators());
    return box;
}

QComboBox* fieldBox(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(QStringLiteral("Column"));
    return box;
}

QLineEdit* valueBox(const QString& name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(valueLength);
    box->setToolTip(QStringLiteral("Leave Blank For All Records"));
    box->setAccessibleName(QStringLiteral("Value"));
    return box;
}
}

KKSelect::KKSelect(RecordScreen& screen, QWidget* parent) : QDialog(parent), m_screen(screen)
{
    setObjectName(QStringLiteral("KKSelect"));
    setWindowTitle(QStringLiteral("Selection"));
    setModal(true);
    setFont(FixedFont());

    m_field1 = fieldBox(QStringLiteral("cmbField1"), this);
    m_operator1 = operatorBox(QStringLiteral("cmbOperator1"), this);
    m_value1 = valueBox(QStringLiteral("txtInquiry1"), this);
    m_join = new QComboBox(this);
    m_join->setObjectName(QStringLiteral("cmbJoin"));
    m_join->setAccessibleName(QStringLiteral("Join"));
    m_join->addItems({QString(), QStringLiteral("And"), QStringLiteral("Or")});
    m_join->setCurrentIndex(-1);
    m_field2 = fieldBox(QStringLiteral("cmbField2"), this);
    m_operator2 = operatorBox(QStringLiteral("cmbOperator2"), this);
    m_value2 = valueBox(QStringLiteral("txtInquiry2"), this);
    auto* viewButton = new QPushButton(QStringLiteral("<View"), this);
    viewButton->setObjectName(QStringLiteral("cmdView"));
    viewButton->setAutoDefault(false);
    auto* okButton = new QPushButton(QStringLiteral("Ok"), this);
    okButton->setObjectName(QStringLiteral("cmdOk"));
    okButton->setAutoDefault(false);
    QToolButton* close = MakeCloseCross(this);
    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("grdSelect"));
    m_grid->setAccessibleName(QStringLiteral("Customers"));
    m_grid->setMinimumSize(700, 300);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_field1, 0, 0);
    layout->addWidget(m_operator1, 0, 1);
    layout->addWidget(m_value1, 0, 2);
    layout->addWidget(viewButton, 0, 3);
    layout->addWidget(close, 0, 4);
    layout->addWidget(m_join, 1, 0);
    layout->addWidget(okButton, 1, 3);
    layout->addWidget(m_field2, 2, 0);
    layout->addWidget(m_operator2, 2, 1);
    layout->addWidget(m_value2, 2, 2);
    layout->addWidget(m_grid, 3, 0, 1, 5);
    layout->setColumnStretch(2, 1);

    connect(viewButton, &QPushButton::clicked, this, &KKSelect::view);
    connect(okButton, &QPushButton::clicked, this, &KKSelect::ok);
    connect(m_grid, &DataGrid::escapePressed, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &KKSelect::release);
}

KKSelect::~KKSelect() { release(); }

void KKSelect::release()
{
    if (m_rows.isOpen())
        m_rows.close();
}

GuardResult KKSelect::openPreview(const QString& condition)
{
    Recordset next;
    const GuardResult result = GuardCriterion([&] {
        next.open(previewBase + m_screen.text(3) + condition, *state().connection, CursorType::Static,
                  LockType::ReadOnly, ReadScope({QStringLiteral("ktCustomer")}));
    });
    if (result == GuardResult::Refused)
        return result;
    release();
    m_grid->clearRows();
    m_rows = std::move(next);
    return result;
}

void KKSelect::load()
{
    ApplyLook(this);
    const QString current = m_screen.text(4);
    m_criterion = current;
    const bool opened = openPreview(current.isEmpty() ? QString() : QStringLiteral(" And ") + current)
                        == GuardResult::Done;
    m_field1->clear();
    m_field2->clear();
    if (!opened)
        return;
    for (const ColumnInfo& column : m_rows.columns()) {
        if (isPasswordColumn(column.name))
            continue;
        m_field1->addItem(column.name, column.type);
        m_field2->addItem(column.name, column.type);
    }
    m_field1->setCurrentIndex(0);
    m_field2->setCurrentIndex(0);
    m_operator1->setCurrentIndex(0);
    m_operator2->setCurrentIndex(0);
    if (m_rows.recordCount() > 0) {
        showRows();
        m_criterion = neutral + QStringLiteral(" )");
    } else {
        state().messages().notice(QStringLiteral("No Records!"));
    }
}

void KKSelect::showRows()
{
    m_grid->bind(m_rows);
    const QVector<ColumnInfo>& columns = m_rows.columns();
    for (int i = 0; i < columns.size(); ++i)
        m_grid->setColumnWidthTwips(i, isPasswordColumn(columns.at(i).name) ? 0 : columnTwips);
    Engine::FormatGridValues(*m_grid, m_rows);
}

bool KKSelect::appendCondition(QString& criterion, QComboBox* field, QComboBox* op, QLineEdit* value)
{
    const std::optional<QString> literal = CriterionText::literal(field->currentData().toInt(), op->currentText(), value->text());
    if (!literal) {
        state().messages().notice(QStringLiteral("Invalid Criteria!"));
        return false;
    }
    criterion += field->currentText() + QLatin1Char(' ') + op->currentText() + QLatin1Char(' ') + *literal;
    return true;
}

void KKSelect::view()
{
    QString& criterion = m_criterion;
    const QString before = criterion;
    criterion = neutral;
    if (!m_value1->text().trimmed().isEmpty()) {
        criterion = QStringLiteral(" ( ");
        if (!appendCondition(criterion, m_field1, m_operator1, m_value1))
            return;
    }
    if (!m_join->currentText().isEmpty() && !m_value2->text().trimmed().isEmpty()) {
        criterion += QLatin1Char(' ') + m_join->currentText() + QLatin1Char(' ');
        if (!appendCondition(criterion, m_field2, m_operator2, m_value2))
            return;
    }
    criterion += QStringLiteral(" )");

    int count = 0;
    switch (openPreview(QStringLiteral(" And ") + criterion)) {
    case GuardResult::Done:
        showRows();
        count = m_rows.recordCount();
        break;
    case GuardResult::Refused:
        criterion = before;
        return;
    case GuardResult::Failed:
        break;
    }
    m_screen.setText(4, criterion);
    state().messages().notice(QStringLiteral("Total Records: ") + QString::number(count));
}

void KKSelect::ok()
{
    m_screen.setText(4, m_criterion);
    accept();
}
