#include "utilities/KKFindRepl.h"

#include "engine/DataGrid.h"
#include "engine/KKAccess.h"
#include "engine/RecordEngine.h"
#include "platform/DateText.h"
#include "base/Messages.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/CriterionText.h"
#include "utilities/TableBrowser.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

TableBrowser::Setup findSetup()
{
    TableBrowser::Setup setup;
    setup.tables = state().CustomerTables;
    setup.columnList = TableBrowser::ColumnList::FieldBox;
    setup.listingStatement = [](const TableBrowser& browser, const QString& clause) {
        return QStringLiteral("Select * From ") + browser.table() + QStringLiteral(" Where ") + clause;
    };
    setup.listingLock = LockType::Optimistic;
    setup.listName = QStringLiteral("cmdFind");
    setup.listCaption = QStringLiteral("<Find");
    setup.gridName = QStringLiteral("grdFind");
    setup.countLabel = 21;
    setup.formatValues = true;
    return setup;
}

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

}

KKFindRepl::KKFindRepl(QWidget* parent) : QDialog(parent), m_frame(new QWidget(this))
{
    setObjectName(QStringLiteral("KKFindRepl"));
    setWindowTitle(QStringLiteral("Find & Replace"));
    setModal(true);
    m_frame->setObjectName(QStringLiteral("frmMain"));
    m_browser = new TableBrowser(findSetup(), m_frame);

    m_value = new QLineEdit(m_frame);
    m_value->setObjectName(QStringLiteral("txtField"));
    m_value->setAccessibleName(QStringLiteral("With"));
    auto* replaceButton = new QPushButton(QStringLiteral("<Replace"), m_frame);
    replaceButton->setObjectName(QStringLiteral("cmdReplace"));
    replaceButton->setAutoDefault(false);
    replaceButton->setAccessibleName(QStringLiteral("Replace"));
    QToolButton* close = MakeCloseCross(this);

    auto* grid = new QGridLayout(m_frame);
    grid->addWidget(heading(QStringLiteral("Find..."), m_frame), 0, 0, 1, 2);
    grid->addWidget(close, 0, 6);
    grid->addWidget(Caption(QStringLiteral("Table:"), m_browser->tableBox(), m_frame), 1, 0);
    grid->addWidget(m_browser->tableBox(), 1, 1, 1, 2);
    grid->addWidget(Caption(QStringLiteral("Criteria:"), m_browser->criteriaBox(), m_frame), 2, 0);
    grid->addWidget(m_browser->criteriaBox(), 2, 1);
    grid->addWidget(m_browser->operatorBox(), 2, 2);
    grid->addWidget(m_browser->valueBox(), 2, 3, 1, 2);
    grid->addWidget(m_browser->listButton(), 2, 5);
    grid->addWidget(m_browser->grid(), 3, 0, 1, 7);
    grid->addWidget(m_browser->countLabel(), 4, 0);
    grid->addWidget(m_browser->recordsLabel(), 4, 1);
    grid->addWidget(heading(QStringLiteral("Replace..."), m_frame), 5, 0, 1, 2);
    grid->addWidget(Caption(QStringLiteral("Field:"), m_browser->fieldBox(), m_frame), 6, 0);
    grid->addWidget(m_browser->fieldBox(), 6, 1, 1, 2);
    grid->addWidget(Caption(QStringLiteral("With:"), m_value, m_frame), 6, 3);
    grid->addWidget(m_value, 6, 4);
    grid->addWidget(replaceButton, 6, 5);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_frame);

    connect(replaceButton, &QPushButton::clicked, this, &KKFindRepl::replaceRecords);
    connect(m_browser->fieldBox(), &QComboBox::currentIndexChanged, this, &KKFindRepl::chooseColumn);

    ApplyLook(this);
    m_browser->BuildFieldLists();
    chooseColumn();
    connect(m_browser->tableBox(), &QComboBox::currentTextChanged, m_browser, &TableBrowser::BuildFieldLists);
}

KKFindRepl::~KKFindRepl() = default;

int KKFindRepl::exec()
{
    Messages::current().notice(QStringLiteral("Modify-Password Required!"));
    return QDialog::exec();
}

int KKFindRepl::chosenColumn() const
{
    const QVariant at = m_browser->fieldBox()->currentData();
    return at.isValid() ? at.toInt() : -1;
}

void KKFindRepl::chooseColumn()
{
    Recordset& sample = m_browser->sample();
    const int column = chosenColumn();
    if (!sample.isOpen() || sample.recordCount() == 0 || column < 0)
        return;
    m_value->setMaxLength(sample.columns().at(column).definedSize);
}

void KKFindRepl::replaceRecords()
{
    ProgramState& s = state();
    Messages& messages = Messages::current();
    Recordset& found = m_browser->listing();
    if (!found.isOpen()) {
        messages.notice(QStringLiteral("Find Records!"));
        return;
    }
    if (found.recordCount() == 0) {
        messages.notice(QStringLiteral("No Records!"));
        return;
    }
    const int column = chosenColumn();
    if (m_browser->fieldBox()->currentIndex() <= 0) {
        messages.notice(QStringLiteral("Invalid Field!"));
        return;
    }
    if (m_value->text().trimmed().isEmpty()) {
        messages.notice(QStringLiteral("No Text!"));
        return;
    }
    const int type = m_browser->sample().columns().at(column).type;
    QString value = m_value->text().left(m_value->maxLength());
    const bool isNumber = type == FieldType::Integer || type == FieldType::Double;
    if ((isNumber && !CriterionText::numberText(value)) || (type == FieldType::Date && !DateText::isDate(value.trimmed()))) {
        messages.notice(QStringLiteral("Invalid Text!"));
        return;
    }
    if (!messages.question(QStringLiteral("Confirm Replace?")))
        return;
    s.AccessReply = QStringLiteral("N");
    KKAccess access(this);
    access.exec();
    if (s.AccessReply == QLatin1String("N"))
        return;

    if (isNumber)
        value.replace(QLatin1Char(','), QLatin1Char('.'));
    m_frame->setEnabled(false);
    Guard([&] { s.connection->beginTrans(); });
    Guard([&] { found.moveFirst(); });
    while (!found.eof()) {
        Guard([&] {
            found.field(column).setValue(value);
            found.update();
        });
        Guard([&] { found.moveNext(); });
    }
    Guard([&] { s.connection->commitTrans(); });
    m_browser->grid()->bind(found, TableBrowser::kListedAtMost);
    Engine::FormatGridValues(*m_browser->grid(), found);
    m_frame->setEnabled(true);
    messages.notice(QStringLiteral("Record(s) Replaced!"));
    found.close();
}
