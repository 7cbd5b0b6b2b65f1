// The News screen's merge list: its column names and the MergeTag insertion.
#include "common/TestSupport.h"
#include "content/MergeList.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"
#include "shell/Schema.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QtTest>

class TestMergeList : public QObject {
    Q_OBJECT

private:
    struct Screen {
        QWidget window;
        QPlainTextEdit* box = new QPlainTextEdit(&window);
        MergeList* list = new MergeList(&window);
        Screen()
        {
            auto* row = new QHBoxLayout(&window);
            row->addWidget(box);
            row->addWidget(list);
            list->setMessageBox(box);
            list->fill();
            window.show();
            window.activateWindow();
        }
        // The user puts the cursor in the message box, then goes to the list and picks a column.
        void placeCursor(const QString& text, int position)
        {
            box->setPlainText(text);
            box->setFocus();
            QTRY_VERIFY(box->hasFocus());
            QTextCursor c = box->textCursor();
            c.setPosition(position);
            box->setTextCursor(c);
        }
        void pick(const QString& column)
        {
            list->setFocus();
            QTRY_VERIFY(list->hasFocus());
            const auto found = list->findItems(column, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->setCurrentItem(found.first());
        }
    };

private slots:
    void listsEveryCustomerColumn();
    void insertsTagAtTheInsertionPoint();
    void onlyEnterAndCharacter26Insert();
    void tickedItemInsertsOnceAndUnticks();
};

void TestMergeList::listsEveryCustomerColumn()
{
    TestDataFolder data;
    ScriptedMessages messages;
    data.exec(QStringLiteral("ALTER TABLE ktCustomer ADD COLUMN CNick VARCHAR(10)"));
    Screen s;

    QStringList expected;
    for (const SchemaColumn& c : Schema::table(QStringLiteral("ktCustomer"))->columns)
        expected << c.name;
    expected << QStringLiteral("CNick");
    QStringList shown;
    for (int i = 0; i < s.list->count(); ++i) {
        shown << s.list->item(i)->text();
        QVERIFY(s.list->item(i)->flags() & Qt::ItemIsUserCheckable);
        QCOMPARE(s.list->item(i)->checkState(), Qt::Unchecked);
    }
    QCOMPARE(shown, expected);
    QVERIFY(shown.contains(QStringLiteral("EId")) && shown.contains(QStringLiteral("CType")));
    QCOMPARE(s.list->objectName(), QStringLiteral("lstMerge"));
    QVERIFY(s.list->selectedItems().isEmpty());
    QVERIFY(messages.shown.isEmpty());
}

void TestMergeList::insertsTagAtTheInsertionPoint()
{
    TestDataFolder data;
    ScriptedMessages messages;
    Screen s;
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    const QColor focusColour = ColorFromText(QStringLiteral("12632319"));
    const QColor white = ColorFromText(QStringLiteral("16777215"));

    // Focus on the list: light red, first entry selected.
    s.list->setFocus();
    QTRY_VERIFY(s.list->hasFocus());
    QCOMPARE(s.list->palette().color(QPalette::Base), focusColour);
    QCOMPARE(s.list->currentRow(), 0);
    QVERIFY(s.list->item(0)->isSelected());

    // After the fifth character: the tag follows those five, the cursor stands right after ">>".
    s.placeCursor(QStringLiteral("Hello world"), 5);
    QCOMPARE(s.list->palette().color(QPalette::Base), white);
    QVERIFY(s.list->selectedItems().isEmpty());
    s.pick(QStringLiteral("CFirst"));
    QTest::keyClick(s.list, Qt::Key_Return);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("Hello<<CFirst>> world"));
    QCOMPARE(s.box->textCursor().position(), 15);
    QTRY_VERIFY(s.box->hasFocus());
    QVERIFY(s.list->selectedItems().isEmpty());

    // Straight on: the next tag goes where the cursor now stands.
    s.pick(QStringLiteral("CLast"));
    QTest::keyClick(s.list, Qt::Key_Enter);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("Hello<<CFirst>><<CLast>> world"));
    QCOMPARE(s.box->textCursor().position(), 24);

    // At the very start of the text the tag goes after the first character.
    s.placeCursor(QStringLiteral("Dear friend"), 0);
    s.pick(QStringLiteral("CTitle"));
    QTest::keyClick(s.list, Qt::Key_Return);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("D<<CTitle>>ear friend"));
    QCOMPARE(s.box->textCursor().position(), 11);

    // An empty message takes the tag alone.
    s.placeCursor(QString(), 0);
    s.pick(QStringLiteral("CCity"));
    QTest::keyClick(s.list, Qt::Key_Return);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("<<CCity>>"));
    QCOMPARE(s.box->textCursor().position(), 9);

    // Multi-line text: the position counts the line break as one character.
    s.placeCursor(QStringLiteral("Hi\nthere"), 3);
    s.pick(QStringLiteral("CLast"));
    QTest::keyClick(s.list, Qt::Key_Return);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("Hi\n<<CLast>>there"));
}

void TestMergeList::onlyEnterAndCharacter26Insert()
{
    TestDataFolder data;
    ScriptedMessages messages;
    Screen s;
    QVERIFY(QTest::qWaitForWindowActive(&s.window));

    s.placeCursor(QStringLiteral("abcdef"), 3);
    s.pick(QStringLiteral("CEmail"));
    QTest::keyClick(s.list, Qt::Key_X);
    QTest::keyClick(s.list, Qt::Key_1);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("abcdef"));

    // Ctrl+Z is character 26.
    s.placeCursor(QStringLiteral("abcdef"), 3);
    s.pick(QStringLiteral("CEmail"));
    QTest::keyClick(s.list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("abc<<CEmail>>def"));

    // A key event carrying the character 26 itself.
    s.placeCursor(QStringLiteral("abcdef"), 2);
    s.pick(QStringLiteral("CFax"));
    QKeyEvent sub(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\x1a"));
    QApplication::sendEvent(s.list, &sub);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("ab<<CFax>>cdef"));
}

void TestMergeList::tickedItemInsertsOnceAndUnticks()
{
    TestDataFolder data;
    ScriptedMessages messages;
    Screen s;
    QVERIFY(QTest::qWaitForWindowActive(&s.window));

    s.placeCursor(QStringLiteral("Dear , hello"), 5);
    s.list->setFocus();
    QTRY_VERIFY(s.list->hasFocus());
    // The ticked item's tag goes in, whatever entry was selected before.
    QListWidgetItem* item = s.list->findItems(QStringLiteral("CFirst"), Qt::MatchExactly).first();
    item->setCheckState(Qt::Checked);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("Dear <<CFirst>>, hello"));
    QCOMPARE(item->checkState(), Qt::Unchecked);
    QCOMPARE(s.box->toPlainText().count(QStringLiteral("<<CFirst>>")), 1);
    QTRY_VERIFY(s.box->hasFocus());
    for (int i = 0; i < s.list->count(); ++i)
        QCOMPARE(s.list->item(i)->checkState(), Qt::Unchecked);

    // A click on the check box of an item does the same.
    QListWidgetItem* last = s.list->findItems(QStringLiteral("CLast"), Qt::MatchExactly).first();
    QStyleOptionViewItem option;
    option.initFrom(s.list);
    option.rect = s.list->visualItemRect(last);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect check = s.list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, s.list);
    QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {}, check.center());
    QCOMPARE(s.box->toPlainText(), QStringLiteral("Dear <<CFirst>><<CLast>>, hello"));
    QCOMPARE(last->checkState(), Qt::Unchecked);
}

QTEST_MAIN(TestMergeList)
#include "tst_mergelist.moc"
