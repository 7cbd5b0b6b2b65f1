// The News screen's merge list: its column names and the MergeTag insertion.
#include "common/TestSupport.h"
#include "content/MergeList.h"
#include "base/Program.h"
#include "base/Schema.h"

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
        // The user puts the cursor in the message box (a null text: leaves it), then selects a column.
        void placeAndPick(const QString& text, int position, const QString& column)
        {
            if (!text.isNull()) {
                box->setPlainText(text);
                box->setFocus();
                QTRY_VERIFY(box->hasFocus());
                QTextCursor c = box->textCursor();
                c.setPosition(position);
                box->setTextCursor(c);
            }
            list->setFocus();
            QTRY_VERIFY(list->hasFocus());
            const auto found = list->findItems(column, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->setCurrentItem(found.first());
        }
    };

private slots:
    void listsColumnsAndInsertsTags();
};

void TestMergeList::listsColumnsAndInsertsTags()
{
    TestDataFolder data;
    ScriptedMessages messages;
    data.exec(QStringLiteral("ALTER TABLE ktCustomer ADD COLUMN CNick VARCHAR(10)"));
    Screen s;
    QVERIFY(QTest::qWaitForWindowActive(&s.window));

    // Every column of ktCustomer, the one just added too, each with an unticked check box; none selected.
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
    QVERIFY(s.list->selectedItems().isEmpty() && messages.shown.isEmpty());

    // Focus on the list: light red, first entry selected; back in the box: white, none selected.
    s.list->setFocus();
    QTRY_VERIFY(s.list->hasFocus());
    QCOMPARE(s.list->palette().color(QPalette::Base), ColorFromText(QStringLiteral("12632319")));
    QVERIFY(s.list->currentRow() == 0 && s.list->item(0)->isSelected());
    s.box->setFocus();
    QTRY_COMPARE(s.list->palette().color(QPalette::Base), ColorFromText(QStringLiteral("16777215")));
    QVERIFY(s.list->selectedItems().isEmpty());

    // Enter and character 26 (Ctrl+Z, or the character itself) insert "<<column>>" at the cursor (after the first
    // character at the very start) and leave the cursor after it; other keys insert nothing. Null text: straight on.
    const struct { const char* text; int position; const char* column; int key; Qt::KeyboardModifiers modifiers;
                   const char* result; int cursor; } cases[] = {
        {"Hello world", 5, "CFirst", Qt::Key_Return, {}, "Hello<<CFirst>> world", 15},
        {nullptr, 0, "CLast", Qt::Key_Enter, {}, "Hello<<CFirst>><<CLast>> world", 24},
        {"Dear friend", 0, "CTitle", Qt::Key_Return, {}, "D<<CTitle>>ear friend", 11},
        {"", 0, "CCity", Qt::Key_Return, {}, "<<CCity>>", 9},
        {"Hi\nthere", 3, "CLast", Qt::Key_Return, {}, "Hi\n<<CLast>>there", 12},
        {"abcdef", 3, "CEmail", Qt::Key_X, {}, "abcdef", -1},
        {"abcdef", 3, "CEmail", Qt::Key_Z, Qt::ControlModifier, "abc<<CEmail>>def", 13},
        {"abcdef", 2, "CFax", 0, {}, "ab<<CFax>>cdef", 10}}; // key 0: an event carrying character 26
    for (const auto& c : cases) {
        s.placeAndPick(c.text ? QString::fromUtf8(c.text) : QString(), c.position, QLatin1String(c.column));
        QKeyEvent sub(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\x1a"));
        if (c.key)
            QTest::keyClick(s.list, Qt::Key(c.key), c.modifiers);
        else
            QApplication::sendEvent(s.list, &sub);
        QCOMPARE(s.box->toPlainText(), QString::fromUtf8(c.result));
        if (c.cursor >= 0) {
            QCOMPARE(s.box->textCursor().position(), c.cursor);
            QTRY_VERIFY(s.box->hasFocus());
            QVERIFY(s.list->selectedItems().isEmpty());
        }
    }

    // Ticking an item inserts its tag once, whatever entry was selected, and leaves it unticked.
    s.placeAndPick(QStringLiteral("Dear , hello"), 5, QStringLiteral("EId"));
    s.list->findItems(QStringLiteral("CFirst"), Qt::MatchExactly).first()->setCheckState(Qt::Checked);
    QCOMPARE(s.box->toPlainText(), QStringLiteral("Dear <<CFirst>>, hello"));
    QTRY_VERIFY(s.box->hasFocus());
    for (int i = 0; i < s.list->count(); ++i)
        QCOMPARE(s.list->item(i)->checkState(), Qt::Unchecked);
}

QTEST_MAIN(TestMergeList)
#include "tst_mergelist.moc"
