#include "engine/KKInquiry.h"

#include "engine/CriterionText.h"
#include "engine/DataGrid.h"
#include "engine/RecordEngine.h"
#include "base/Messages.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

KKInquiry::KKInquiry(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKInquiry"));
    setWindowTitle(QStringLiteral("Inquiry"));
    setModal(true);
    setFont(FixedFont());

    auto* layout = new QGridLayout(this);
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("cmbField"));
    m_field->setAccessibleName(QStringLiteral("Column"));
    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("cmbOperator"));
    m_operator->setAccessibleName(QStringLiteral("Operator"));
    m_operator->addItems(CriterionText::operators());
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("txtInquiry"));
    m_value->setMaxLength(15);
    m_value->setToolTip(QStringLiteral("Leave Blank For All Records"));
    m_value->setAccessibleName(QStringLiteral("Value"));
    m_value->installEventFilter(this);
    m_search = new QPushButton(QStringLiteral("<Inquiry"), this);
    m_search->setObjectName(QStringLiteral("cmdInquiry"));
    m_search->setAutoDefault(false);
    QToolButton* close = MakeCloseCross(this);
    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("grdInquiry"));
    m_grid->setToolTip(QStringLiteral("Double-Click To Select Record"));
    m_grid->setAccessibleName(QStringLiteral("Records"));
    m_grid->setMinimumSize(700, 320);

    layout->addWidget(m_field, 0, 0);
    layout->addWidget(m_operator, 0, 1);
    layout->addWidget(m_value, 0, 2);
    layout->addWidget(m_search, 0, 3);
    layout->addWidget(close, 0, 4);
    layout->addWidget(m_grid, 1, 0, 1, 5);
    layout->setColumnStretch(2, 1);

    connect(m_search, &QPushButton::clicked, this, &KKInquiry::search);
    connect(m_grid, &DataGrid::rowChosen, this, &KKInquiry::chooseRow);
    connect(m_grid, &DataGrid::escapePressed, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &KKInquiry::release);
}

KKInquiry::~KKInquiry() { release(); }

void KKInquiry::release()
{
    Recordset& r = state().RecordRecordset;
    if (r.isOpen())
        r.close();
}

void KKInquiry::run()
{
    if (load())
        exec();
}

bool KKInquiry::load()
{
    ProgramState& s = state();
    ApplyLook(this);
    if (!s.ListRecordset.isOpen() || s.ListRecordset.bof() || s.ListRecordset.eof()) {
        Messages::current().notice(QStringLiteral("No Record!"));
        return false;
    }
    Recordset& r = s.RecordRecordset;
    Guard([&] {
        release();
        r.open(QStringLiteral("Select * From ") + s.ModuleTable + QStringLiteral(" Where EId= ")
                   + QString::number(s.ListRecordset.currentId()),
               *s.connection, CursorType::Dynamic, LockType::ReadOnly);
    });
    if (!r.isOpen())
        return true;
    m_field->clear();
    m_grid->bind(r);
    Guard([&] {
        for (int i = 0; i < r.fieldCount(); ++i) {
            const QString name = r.field(i).name();
            if (name.contains(QLatin1String("Passcd"))) {
                m_grid->setColumnWidthTwips(i, 0);
                continue;
            }
            m_field->addItem(name, i);
            if (!r.eof() && r.field(i).actualSize() * 100 > 500)
                m_grid->setColumnWidthTwips(i, 1500);
        }
    });
    m_field->setCurrentIndex(0);
    m_operator->setCurrentIndex(0);
    Engine::FormatGridValues(*m_grid, r);
    return true;
}

void KKInquiry::search()
{
    ProgramState& s = state();
    Recordset& r = s.RecordRecordset;
    const int column = m_field->currentData().toInt();
    int type = FieldType::VarChar;
    if (r.isOpen() && column < r.columns().size())
        type = r.columns().at(column).type;
    const std::optional<QString> typed = CriterionText::condition(m_field->currentText(), m_operator->currentText(),
                                                                  m_value->text(), type);
    if (!typed) {
        Messages::current().notice(QStringLiteral("Invalid Criteria!"));
        return;
    }
    const QString condition = *typed;
    const GuardResult result = GuardCriterion([&] {
        const QString sql = QStringLiteral("Select Top 100 * From ") + s.ModuleTable + QStringLiteral(" Where ")
                            + condition;
        Recordset next;
        next.open(sql, *s.connection, CursorType::Dynamic, LockType::ReadOnly, ReadScope({s.ModuleTable}));
        release();
        r = std::move(next);
    });
    if (result == GuardResult::Done) {
        m_grid->bind(r);
        for (int i = 0; i < r.fieldCount(); ++i)
            if (r.columns().at(i).name.contains(QLatin1String("Passcd")))
                m_grid->setColumnWidthTwips(i, 0);
        Engine::FormatGridValues(*m_grid, r);
        if (r.recordCount() == 100)
            Messages::current().notice(QStringLiteral("Records>100 !"));
    }
    m_value->setFocus();
}

void KKInquiry::chooseRow(int row)
{
    ProgramState& s = state();
    if (m_grid->rowCount() < 2 || row < 1)
        return;
    const QString condition = QStringLiteral("EId = ") + m_grid->cellText(row, 0);
    release();
    Guard([&] {
        s.ListRecordset.moveFirst();
        s.ListRecordset.find(condition);
    });
    Engine::LoadRecord();
    accept();
}

bool KKInquiry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_value && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
