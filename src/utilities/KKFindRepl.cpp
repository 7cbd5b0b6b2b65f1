#include "utilities/KKFindRepl.h"

#include "engine/DataGrid.h"
#include "engine/KKAccess.h"
#include "engine/RecordEngine.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"
#include "platform/Recordset.h"
#include "base/Messages.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/CriterionText.h"
#include "utilities/ColumnValues.h"
#include "utilities/TableBrowser.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

namespace {

constexpr int kAnyLength = 32767;  // QLineEdit's own maximum
constexpr int kKeysPerUpdate = 500; // keys named in one set update

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
    // A text column holds its defined size; a number's or a date's defined size is its storage
    // size, shorter than its text ("12/31/2024"), so those are only checked, never cut.
    const ColumnInfo& info = sample.columns().at(column);
    const bool text = info.type != FieldType::Integer && info.type != FieldType::Double && info.type != FieldType::Date;
    m_value->setMaxLength(text && info.definedSize > 0 ? info.definedSize : kAnyLength);
}

void KKFindRepl::replaceRecords()
{
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
    const ColumnInfo& info = m_browser->sample().columns().at(column);
    const std::optional<QVariant> value = newValue(info, m_value->text().left(m_value->maxLength()));
    if (!value) {
        messages.notice(QStringLiteral("Invalid Text!"));
        return;
    }
    if (!messages.question(QStringLiteral("Confirm Replace?")))
        return;
    if (!KKAccess::ask(this))
        return;

    m_frame->setEnabled(false);
    const QString count = m_browser->countLabel()->text();
    const QVector<QVariant> ids = foundIds(found);
    replaceAll(info.name, *value, ids);
    showReplaced(ids);
    m_browser->countLabel()->setText(count);
    m_frame->setEnabled(true);
    messages.notice(QStringLiteral("Record(s) Replaced!"));
    found.close();
}

std::optional<QVariant> KKFindRepl::newValue(const ColumnInfo& column, QString text) const
{
    // A double takes a decimal point or comma; a date is a date as the screens write it.
    static const QRegularExpression decimal(QStringLiteral(R"(^\s*[+-]?(\d+([.,]\d*)?|[.,]\d+)\s*$)"));
    if (column.type == FieldType::Double && !decimal.match(text).hasMatch())
        return std::nullopt;
    if (column.type == FieldType::Date && !DateText::isDate(text.trimmed()))
        return std::nullopt;
    if (column.type == FieldType::Double)
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    try {
        return ColumnValues(state().connection->backend(), m_browser->table()).value(column, text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

QVector<QVariant> KKFindRepl::foundIds(Recordset& found)
{
    QVector<QVariant> ids;
    ids.reserve(found.recordCount());
    Guard([&] {
        const int key = found.indexOf(QStringLiteral("EId"));
        for (found.moveFirst(); !found.eof(); found.moveNext())
            ids << found.field(key).value();
    });
    return ids;
}

// The found records, by their keys, get the new value in one set update per slice of keys,
// all in one transaction; the count of records done shows between slices.
void KKFindRepl::replaceAll(const QString& column, const QVariant& value, const QVector<QVariant>& ids)
{
    ProgramState& s = state();
    DbBackend& db = s.connection->backend();
    const QString table = m_browser->table();
    Guard([&] { db.begin(); });
    for (qsizetype from = 0; from < ids.size(); from += kKeysPerUpdate) {
        const QVector<QVariant> slice = ids.mid(from, kKeysPerUpdate);
        QVariantList parameters{value};
        for (const QVariant& id : slice)
            parameters << id;
        const QString marks = QStringLiteral("?, ").repeated(slice.size() - 1) + QStringLiteral("?");
        Guard([&] {
            db.execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE EId IN (%3)").arg(table, column, marks), parameters);
        });
        m_browser->countLabel()->setText(QString::number(from + slice.size()) + QStringLiteral(".."));
        m_browser->countLabel()->repaint();
        EventPause();
    }
    Guard([&] { db.commit(); });
}

// The grid shows the replaced records as they are now stored (keys are whole numbers the
// database gave, written into the statement as they are).
void KKFindRepl::showReplaced(const QVector<QVariant>& ids)
{
    QStringList keys;
    for (qsizetype i = 0; i < ids.size() && i < TableBrowser::kListedAtMost; ++i)
        keys << QString::number(ids.at(i).toLongLong());
    if (keys.isEmpty())
        keys << QStringLiteral("NULL");
    Recordset now;
    Guard([&] {
        now.open(QStringLiteral("Select * From %1 Where EId IN (%2)").arg(m_browser->table(), keys.join(QStringLiteral(", "))),
                 *state().connection);
        m_browser->grid()->bind(now, TableBrowser::kListedAtMost);
        Engine::FormatGridValues(*m_browser->grid(), now);
    });
}
