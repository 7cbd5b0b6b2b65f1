// The News, Leads and Surveys screens as the record engine opens them.
#include "content/LeadExtra.h"
#include "content/NewsExtra.h"
#include "content/SurveyExtra.h"
#include "content/LeadView.h"
#include "engine/EngineFixture.h"
#include "base/PictureStore.h"
#include "base/Program.h"
#include "base/Schema.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace {
const QString OddLead = QStringLiteral(
    "<HTML>\r\n<BODY  bgColor=#ffffff data-x='1'>\t<P class=x>Spring&nbsp;sale</p>\n\n"
    "<font face=Arial size=2>Call   us</font>\r\n</BODY></HTML>  \r\n");

using enum Operation;
}

class TestContentScreens : public QObject {
    Q_OBJECT

private slots:
    void leadScreenKeepsAndWritesTheHtml_data()
    {
        QTest::addColumn<bool>("source"); // worked on in the source view
        QTest::newRow("rich view") << false;
        QTest::newRow("source view") << true;
    }
    void leadScreenKeepsAndWritesTheHtml()
    {
        QFETCH(bool, source);
        EngineFixture f;
        f.folder.exec(QStringLiteral("INSERT INTO ktLead (EDate, LReference, LSubject, LMessage, LRemarks) "
                                     "VALUES ('2024-03-01', 'Spring', 'Spring sale', '%1', 'r')")
                          .arg(QString(OddLead).replace(QLatin1Char('\''), QStringLiteral("''"))));
        auto* extra = qobject_cast<LeadExtra*>(f.open(QStringLiteral("KKLead"))->extra());
        QVERIFY(extra && extra->editor());
        LeadEditor* editor = extra->editor();
        const auto stored = [&](int id) { return f.folder.scalar(QStringLiteral("Select LMessage From ktLead Where EId=%1").arg(id)); };
        // Preview: "Edit>", the buttons off; editing: "<Preview", the buttons on.
        const auto checkMode = [&](bool editing) {
            QCOMPARE(editor->switchButton()->text(), editing ? QStringLiteral("<Preview") : QStringLiteral("Edit>"));
            QCOMPARE(editor->view()->isEditable(), editing);
            QVERIFY(editor->tabButton(9)->isEnabled() == editing);
        };
        // Opens the record for editing in the chosen view.
        const auto modify = [&] {
            f.run(Modify);
            editor->switchClick();
            if (source != editor->isSourceShown())
                editor->sourceClick();
            QVERIFY(editor->view()->waitForLoad());
        };
        // One edit in the chosen view: "Sale" in italics.
        const auto edit = [&] {
            if (source) {
                QString text = editor->sourceEditor()->toPlainText().replace(QStringLiteral("Spring"), QStringLiteral("<i>Spring</i>"));
                editor->sourceEditor()->selectAll();
                editor->sourceEditor()->insertPlainText(text);
            } else {
                editor->view()->evaluate(QStringLiteral("getSelection().selectAllChildren(document.querySelector('p'))"));
                editor->selClick(3);
            }
        };

        checkMode(false); // shown as stored, in preview
        QCOMPARE(editor->html(), OddLead);
        QVERIFY(!editor->switchButton()->isEnabled()); // not editable in View

        // Saved without editing: the row keeps its HTML byte for byte, and the editor returns to preview.
        modify();
        checkMode(true);
        f.set(3, QStringLiteral("Spring sale 2"));
        f.run(Save);
        QCOMPARE(stored(1), OddLead);
        QCOMPARE(f.folder.scalar(QStringLiteral("Select LSubject From ktLead Where EId=1")), QStringLiteral("Spring sale 2"));
        checkMode(false);

        // Edited, then cancelled: the stored lead again.
        modify();
        edit();
        QVERIFY(editor->html() != OddLead);
        f.run(Cancel);
        QCOMPARE(editor->html(), OddLead);

        // Xerox: the copy gets the lead as stored.
        f.run(Xerox);
        f.run(Save);
        QCOMPARE(stored(2), OddLead);

        // Edited: the editor's HTML is written, and shown again after the save.
        modify();
        edit();
        const QString edited = editor->html();
        QVERIFY(edited.contains(QStringLiteral("<i>Spring")));
        f.run(Save);
        QCOMPARE(stored(2), edited);
        QCOMPARE(editor->html(), edited);

        // Too long for the column: refused at Save with its message, still editing, the row as it was.
        modify();
        if (source) {
            editor->sourceEditor()->moveCursor(QTextCursor::End);
            editor->sourceEditor()->insertPlainText(QString(LeadEditor::MaxLength, QLatin1Char(' ')));
        } else {
            editor->view()->evaluate(QStringLiteral("document.body.append('%1')").arg(QString(LeadEditor::MaxLength, QLatin1Char('x'))));
            editor->view()->evaluate(QStringLiteral("getSelection().selectAllChildren(document.body)"));
            editor->selClick(2);
        }
        f.messages.clear();
        f.run(Save);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY2(f.messages.shown.first().startsWith(QStringLiteral("The lead has ")), qPrintable(f.messages.shown.first()));
        QVERIFY(f.editing());
        QCOMPARE(stored(2), edited);
        f.run(Cancel);

        // A new lead starts empty.
        f.run(Add);
        QVERIFY(editor->html().isEmpty() && f.text(4).isEmpty());

        // Cancelled with no record to show again: back to preview, nothing left editable.
        f.run(Cancel);
        f.folder.exec(QStringLiteral("DELETE FROM ktLead"));
        f.run(Add);
        editor->switchClick();
        checkMode(true);
        f.run(Cancel);
        checkMode(false);
    }

    // A lead made before the picture table: its data: pictures go into the table when it is next
    // saved, once each, and the letter names them.
    void savedLeadMovesItsPicturesIntoTable()
    {
        EngineFixture f;
        const QByteArray dot = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
        const QString uri = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(dot.toBase64());
        f.folder.exec(QStringLiteral("INSERT INTO ktLead (EDate, LReference, LSubject, LMessage, LRemarks) VALUES "
                                     "('2024-03-01', 'Old', 'Old', '<p><img src=\"%1\" alt=\"a\">x<img src=\"%1\"></p>', 'r')")
                          .arg(uri));
        auto* extra = qobject_cast<LeadExtra*>(f.open(QStringLiteral("KKLead"))->extra());
        f.run(Modify);
        f.run(Save);
        const QString id = MailPictures::contentId(dot);
        const QString moved = QStringLiteral("<p><img src=\"cid:%1\" alt=\"a\">x<img src=\"cid:%1\"></p>").arg(id);
        QCOMPARE(f.folder.scalar(QStringLiteral("Select LMessage From ktLead")), moved);
        QCOMPARE(f.folder.count(QStringLiteral("kaPicture")), 1);
        QCOMPARE(PictureStore::find(*state().connection, id)->data, dot);
        QCOMPARE(extra->editor()->html(), moved);
    }

    // The News screen's merge list: every column of ktCustomer, the one just added too, each with an
    // unticked check box. Enter and character 26 (Ctrl+Z, or the character itself) insert "<<column>>"
    // at the message box's cursor (after the first character at the very start) and leave the cursor
    // one character beyond it; other keys insert nothing; the tags are saved with the message.
    void newsScreenInsertsMergeTags()
    {
        EngineFixture f;
        f.folder.exec(QStringLiteral("ALTER TABLE ktCustomer ADD COLUMN CNick VARCHAR(10)"));
        f.folder.exec(QStringLiteral("INSERT INTO ktNews (EDate, NType, NReference, NSubject, NMessage, NRemarks) "
                                     "VALUES ('2024-03-01', 1, 'March', 'Hello', 'Dear reader, welcome', 'r')"));
        RecordScreen* screen = f.open(QStringLiteral("KKNews"));
        QVERIFY(QTest::qWaitForWindowActive(screen));
        auto* list = screen->findChild<MergeList*>(QStringLiteral("lstMerge"));
        QVERIFY(list);
        QStringList expected;
        for (const SchemaColumn& c : Schema::table(QStringLiteral("ktCustomer"))->columns)
            expected << c.name;
        expected << QStringLiteral("CNick");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i) {
            shown << list->item(i)->text();
            QVERIFY(list->item(i)->flags() & Qt::ItemIsUserCheckable);
            QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
        }
        QCOMPARE(shown, expected);
        QVERIFY(list->selectedItems().isEmpty() && f.messages.shown.isEmpty());

        // Focus on the list: light red, first entry selected; back in the box: white, none selected.
        f.run(Modify);
        QPlainTextEdit* box = screen->textEdit(5);
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        QCOMPARE(list->palette().color(QPalette::Base), ColorFromText(QStringLiteral("12632319")));
        QVERIFY(list->currentRow() == 0 && list->item(0)->isSelected());
        box->setFocus();
        QTRY_COMPARE(list->palette().color(QPalette::Base), ColorFromText(QStringLiteral("16777215")));
        QVERIFY(list->selectedItems().isEmpty());

        // The cursor put in the box (a null text: left where it is), then a column selected.
        const auto placeAndPick = [&](const QString& text, int position, const QString& column) {
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
        };
        const struct { const char* text; int position; const char* column; int key; Qt::KeyboardModifiers modifiers;
                       const char* result; int cursor; } cases[] = {
            {"Hello world", 5, "CFirst", Qt::Key_Return, {}, "Hello<<CFirst>> world", 16},
            {nullptr, 0, "CLast", Qt::Key_Enter, {}, "Hello<<CFirst>> <<CLast>>world", 26},
            {"Dear friend", 0, "CTitle", Qt::Key_Return, {}, "D<<CTitle>>ear friend", 12},
            {"", 0, "CCity", Qt::Key_Return, {}, "<<CCity>>", 9},
            {"Hi\nthere", 3, "CLast", Qt::Key_Return, {}, "Hi\n<<CLast>>there", 13},
            {"abcdef", 3, "CEmail", Qt::Key_X, {}, "abcdef", -1},
            {"abcdef", 3, "CEmail", Qt::Key_Z, Qt::ControlModifier, "abc<<CEmail>>def", 14},
            {"abcdef", 2, "CFax", 0, {}, "ab<<CFax>>cdef", 11}}; // key 0: an event carrying character 26
        for (const auto& c : cases) {
            placeAndPick(c.text ? QString::fromUtf8(c.text) : QString(), c.position, QLatin1String(c.column));
            QKeyEvent sub(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\x1a"));
            if (c.key)
                QTest::keyClick(list, Qt::Key(c.key), c.modifiers);
            else
                QApplication::sendEvent(list, &sub);
            QCOMPARE(box->toPlainText(), QString::fromUtf8(c.result));
            if (c.cursor >= 0) {
                QCOMPARE(box->textCursor().position(), c.cursor);
                QTRY_VERIFY(box->hasFocus());
                QVERIFY(list->selectedItems().isEmpty());
            }
        }

        // Ticking an item inserts its tag once, whatever entry was selected, and leaves it unticked.
        placeAndPick(QStringLiteral("Dear , hello"), 5, QStringLiteral("EId"));
        list->findItems(QStringLiteral("CFirst"), Qt::MatchExactly).first()->setCheckState(Qt::Checked);
        QCOMPARE(box->toPlainText(), QStringLiteral("Dear <<CFirst>>, hello"));
        QTRY_VERIFY(box->hasFocus());
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
        f.run(Save);
        QCOMPARE(f.folder.scalar(QStringLiteral("Select NMessage From ktNews Where EId=1")), QStringLiteral("Dear <<CFirst>>, hello"));
    }

    // "Survey Script" writes the page of what the screen shows, saved or not: the whole page, its
    // texts escaped, the message's picture beside it and named by it; written again over a longer
    // page, the same file. The page opens in the browser.
    void surveyScreenGeneratesThePage()
    {
        EngineFixture f;
        const QString id = PictureStore::keep(*state().connection, {{}, QStringLiteral("care.png"), "image/png", "png bytes"});
        f.folder.exec(QStringLiteral("INSERT INTO ktSurvey (EDate, SName, SMessage) VALUES ('2024-03-01', "
                                     "'Service survey 2024 \u00e9t\u00e9', 'Please tell us & rate <b>honestly</b>.<img src=\"cid:%1\">')")
                          .arg(id));
        std::array<QString, 10> questions;
        for (int q = 1; q <= 10; ++q) {
            if (q != 7) // an empty question still gets its row
                questions[std::size_t(q - 1)] = QStringLiteral("How do you rate item %1?").arg(q);
            f.folder.exec(QStringLiteral("UPDATE ktSurvey SET SQuery%1 = '%2'").arg(q).arg(questions[std::size_t(q - 1)]));
        }
        questions[2] = QStringLiteral("Speed < price?");
        RecordScreen* screen = f.open(QStringLiteral("KKSurvey"));
        auto* extra = qobject_cast<SurveyExtra*>(screen->extra());
        auto* script = screen->findChild<QAbstractButton*>(QStringLiteral("cmdList_18"));
        QVERIFY(extra && script);
        QList<QUrl> opened;
        extra->openInBrowser = [&](const QUrl& url) { opened << url; return true; };

        f.run(Modify);
        f.set(9, questions[2]); // the third question, not saved
        script->click();
        QFile file(f.folder.file(QStringLiteral("Docs/Temp01.Htm")));
        const QString picture = QStringLiteral("care-%1.png").arg(id.left(8));
        QString expected = QStringLiteral(
            "<Html>\r\n<Head><Meta Charset='UTF-8'></Head>\r\n<Body>\r\n<Form Action='Mailto:survey@example.com' Method='Post'>\r\n"
            "<Table Border='0' Width='800' Align='Center' Style='Font-family:Trebuchet MS; Font-size:8pt; Color=#000080'>\r\n"
            "<tr><td width='800' colspan='2' align='Center' bgcolor='#BBBBFF'>\r\n"
            "<b>SERVICE SURVEY 2024 \u00c9T\u00c9</b></td></tr>\r\n"
            "<tr><td width='800' colspan='2' align='Center'>\r\n"
            "Please tell us &amp; rate &lt;b&gt;honestly&lt;/b&gt;.<img src='%1' alt=''><br>\r\n"
            "[Rating: 1-Low; 10-High]<br>&nbsp</td></tr>\r\n").arg(picture);
        for (int q = 1; q <= 10; ++q) {
            expected += QStringLiteral("<tr><td width='400'>\r\n<b>") + questions[std::size_t(q - 1)].toHtmlEscaped()
                        + QStringLiteral("</b><br></td>\r\n<td width='400'>\r\n");
            for (int a = 1; a <= 10; ++a)
                expected += QStringLiteral("%1<Input Type='Radio' Value='A%2' Name='Q%3'>&nbsp&nbsp\r\n").arg(a).arg(a + 10 * q).arg(q);
            expected += QStringLiteral("<br>&nbsp</td></tr>\r\n");
        }
        expected += QStringLiteral("<tr><td width='800' colspan='2' align='Center'>\r\n"
                                   "<br><Input Type='Submit' Value='Submit' Name='S1'>\r\n"
                                   "</td></tr></Table>\r\n</Body></Html>\r\n");
        const QByteArray written = fileContents(file.fileName());
        QCOMPARE(QString::fromUtf8(written), expected);
        QCOMPARE(fileContents(f.folder.file(QStringLiteral("Docs/") + picture)), QByteArray("png bytes"));
        QCOMPARE(f.messages.shown, QStringList{QStringLiteral("Script Generated!")});
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(file.fileName())});
        f.set(9, QString(200, QLatin1Char('x')));
        script->click();
        f.set(9, questions[2]);
        script->click();
        QCOMPARE(fileContents(file.fileName()), written);

        // No browser: the page is written and the user is told where it is.
        f.messages.clear();
        opened.clear();
        extra->openInBrowser = [&](const QUrl& url) { opened << url; return false; };
        script->click();
        QCOMPARE(f.messages.shown.size(), 2);
        QVERIFY(f.messages.shown.last().contains(file.fileName()));

        // Without a Docs folder: one clear message, no "Script Generated!", no browser; the screen goes on.
        f.messages.clear();
        QVERIFY(QDir(f.folder.file(QStringLiteral("Docs"))).removeRecursively());
        script->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown.first().startsWith(QStringLiteral("Cannot write the survey page ")));
        QVERIFY(!file.exists());
        QVERIFY(opened.size() == 1 && f.editing());
    }
};

QTEST_MAIN(TestContentScreens)
#include "tst_contentscreens.moc"
