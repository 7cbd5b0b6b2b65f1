// The News, Leads and Surveys screens as the record engine opens them.
#include "content/ContentModules.h"
#include "content/LeadEditor.h"
#include "content/MergeList.h"
#include "engine/EngineFixture.h"
#include "platform/Recordset.h"
#include "shell/Schema.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {
const QString OddLead = QStringLiteral(
    "<HTML>\r\n<BODY  bgColor=#ffffff data-x='1'>\t<P class=x>Spring&nbsp;sale</p>\n\n"
    "<font face=Arial size=2>Call   us</font>\r\n</BODY></HTML>  \r\n");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

enum { Add = 1, Modify = 2, Save = 5 };
}

class TestContentScreens : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { registerContentModules(); }
    void leadScreenKeepsAndWritesTheHtml();
    void newsScreenInsertsMergeTags();
    void surveyScreenGeneratesThePage();
};

void TestContentScreens::leadScreenKeepsAndWritesTheHtml()
{
    EngineFixture f;
    f.folder.exec(QStringLiteral("INSERT INTO ktLead (EDate, LReference, LSubject, LMessage, LRemarks) "
                                 "VALUES ('2024-03-01', 'Spring', 'Spring sale', 'x', 'r')"));
    {
        Recordset r;
        r.open(QStringLiteral("Select * From ktLead Where EId= 1"), *state().connection, CursorType::Dynamic,
               LockType::Optimistic);
        r.field(QStringLiteral("LMessage")).setValue(OddLead);
        r.update();
    }
    RecordScreen* screen = f.open(QStringLiteral("KKLead"));
    auto* extra = qobject_cast<LeadExtra*>(screen->extra());
    QVERIFY(extra && extra->editor());
    LeadEditor* editor = extra->editor();
    QCOMPARE(screen->findChild<QTextEdit*>(QStringLiteral("htmLead")), editor->editor());

    // Shown: preview, buttons off, the stored text as it is.
    QCOMPARE(editor->switchButton()->text(), QStringLiteral("Edit>"));
    QVERIFY(editor->editor()->isReadOnly());
    QVERIFY(!editor->selButton(0)->isEnabled() && !editor->tabButton(9)->isEnabled());
    QCOMPARE(editor->html(), OddLead);
    QCOMPARE(f.text(4), OddLead);

    // Saved without editing: the row keeps its HTML byte for byte.
    f.run(Modify);
    editor->switchClick();
    QVERIFY(editor->selButton(0)->isEnabled());
    f.set(3, QStringLiteral("Spring sale 2"));
    f.run(Save);
    QCOMPARE(f.folder.scalar(QStringLiteral("Select LMessage From ktLead Where EId=1")), OddLead);
    QCOMPARE(f.folder.scalar(QStringLiteral("Select LSubject From ktLead Where EId=1")), QStringLiteral("Spring sale 2"));
    QCOMPARE(editor->switchButton()->text(), QStringLiteral("Edit>"));
    QVERIFY(!editor->selButton(0)->isEnabled());

    // Edited: the editor's HTML is written, and shown again after the save.
    f.run(Modify);
    editor->switchClick();
    editor->editor()->selectAll();
    editor->selClick(3); // italic
    const QString edited = editor->html();
    QVERIFY(edited != OddLead && edited.contains(QStringLiteral("font-style:italic")));
    f.run(Save);
    QCOMPARE(f.folder.scalar(QStringLiteral("Select LMessage From ktLead Where EId=1")), edited);
    QCOMPARE(editor->html(), edited);
    QVERIFY(editor->editor()->isReadOnly());

    // A new lead starts empty and is written from the editor.
    f.run(Add);
    QVERIFY(editor->editor()->toPlainText().isEmpty());
    QCOMPARE(f.text(4), QString());
    f.set(2, QStringLiteral("Autumn"));
    f.set(3, QStringLiteral("Autumn offer"));
    f.set(5, QStringLiteral("new"));
    editor->switchClick();
    QTest::keyClicks(editor->editor(), QStringLiteral("Autumn prices"));
    f.run(Save);
    QVERIFY2(f.messages.shown.filter(QStringLiteral("Empty")).isEmpty(), qPrintable(f.messages.shown.join(QLatin1Char('|'))));
    QCOMPARE(f.folder.count(QStringLiteral("ktLead")), 2);
    const QString stored = f.folder.scalar(QStringLiteral("Select LMessage From ktLead Where LReference='Autumn'"));
    QVERIFY(stored.contains(QStringLiteral("Autumn prices")));
    QCOMPARE(f.messages.count(QStringLiteral("Error!")), 0);
}

void TestContentScreens::newsScreenInsertsMergeTags()
{
    EngineFixture f;
    f.folder.exec(QStringLiteral("INSERT INTO ktNews (EDate, NType, NReference, NSubject, NMessage, NRemarks) "
                                 "VALUES ('2024-03-01', 1, 'March', 'Hello', 'Dear reader, welcome', 'r')"));
    RecordScreen* screen = f.open(QStringLiteral("KKNews"));
    QVERIFY(QTest::qWaitForWindowActive(screen));
    auto* list = screen->findChild<MergeList*>(QStringLiteral("lstMerge"));
    QVERIFY(list);
    auto* heading = screen->findChild<QLabel*>(QStringLiteral("lblList_5"));
    QVERIFY(heading && heading->text() == QStringLiteral("Customer Info"));
    QCOMPARE(list->count(), int(Schema::table(QStringLiteral("ktCustomer"))->columns.size()));
    QVERIFY(list->selectedItems().isEmpty());

    f.run(Modify);
    QPlainTextEdit* box = screen->textEdit(5);
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTextCursor c = box->textCursor();
    c.setPosition(5);
    box->setTextCursor(c);
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    list->setCurrentItem(list->findItems(QStringLiteral("CFirst"), Qt::MatchExactly).first());
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(box->toPlainText(), QStringLiteral("Dear <<CFirst>>reader, welcome"));
    QTRY_VERIFY(box->hasFocus());
    f.run(Save);
    QCOMPARE(f.folder.scalar(QStringLiteral("Select NMessage From ktNews Where EId=1")),
             QStringLiteral("Dear <<CFirst>>reader, welcome"));
}

void TestContentScreens::surveyScreenGeneratesThePage()
{
    EngineFixture f;
    QString queries, texts;
    for (int q = 1; q <= 10; ++q) {
        queries += QStringLiteral(", SQuery%1").arg(q);
        texts += QStringLiteral(", 'Question %1'").arg(q);
    }
    f.folder.exec(QStringLiteral("INSERT INTO ktSurvey (EDate, SType, SCount, SName, SMessage, SLink%1, SRemarks) "
                                 "VALUES ('2024-03-01', 'R', 10, 'customer care', 'Tell us', 'http://example.com/s'%2, 'r')")
                      .arg(queries, texts));

    RecordScreen* screen = f.open(QStringLiteral("KKSurvey"));
    auto* extra = qobject_cast<SurveyExtra*>(screen->extra());
    QVERIFY(extra);
    QList<QUrl> opened;
    extra->openInBrowser = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    auto* script = screen->findChild<QAbstractButton*>(QStringLiteral("cmdList_18"));
    QVERIFY(script);
    QCOMPARE(script->text(), QStringLiteral(">"));
    QCOMPARE(script->toolTip(), QStringLiteral("Selection"));
    QCOMPARE(screen->findChild<QLabel*>(QStringLiteral("lblField_18"))->text(), QStringLiteral("Survey Script"));

    f.run(Modify);
    f.set(9, QStringLiteral("Changed, not saved"));
    script->click();
    const QString page = QString::fromUtf8(readAll(f.folder.file(QStringLiteral("Docs/Temp01.Htm"))));
    QVERIFY(page.contains(QStringLiteral("\r\n<b>CUSTOMER CARE</b></td></tr>\r\n")));
    QVERIFY(page.contains(QStringLiteral("\r\nTell us<br>\r\n")));
    QVERIFY(page.contains(QStringLiteral("<b>Question 1</b>")));
    QVERIFY(page.contains(QStringLiteral("<b>Changed, not saved</b>")));
    QVERIFY(page.contains(QStringLiteral("<b>Question 10</b>")));
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("Script Generated!")});
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(f.folder.file(QStringLiteral("Docs/Temp01.Htm")))});

    // The cycling pickers stay the engine's, and start over after the script button.
    f.click(2);
    QCOMPARE(f.text(2), QStringLiteral("R"));
    f.click(3);
    f.click(3);
    QCOMPARE(f.text(3), QStringLiteral("10"));

    // Without a Docs folder: a clear message, no "Script Generated!", no browser.
    f.messages.clear();
    QVERIFY(QDir(f.folder.file(QStringLiteral("Docs"))).removeRecursively());
    script->click();
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(f.messages.shown.first().startsWith(QStringLiteral("Cannot write the survey page ")));
    QVERIFY(f.messages.shown.first().endsWith(QLatin1Char('!')));
    QCOMPARE(opened.size(), 1);
    QVERIFY(f.editing()); // the screen goes on
}

QTEST_MAIN(TestContentScreens)
#include "tst_contentscreens.moc"
