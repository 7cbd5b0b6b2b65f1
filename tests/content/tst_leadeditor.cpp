// The lead editor: edit/preview states, keeping the stored HTML, templates and files.
#include "common/TestSupport.h"
#include "content/LeadEditor.h"

#include <QFile>
#include <QPushButton>
#include <QTextEdit>
#include <QTextTable>
#include <QtTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Preview: "Edit>", read-only, the twenty buttons off; editing: "<Preview", writable, buttons on.
void checkMode(const LeadEditor& e, bool editing)
{
    QCOMPARE(e.switchButton()->text(), editing ? QStringLiteral("<Preview") : QStringLiteral("Edit>"));
    QCOMPARE(e.editor()->isReadOnly(), !editing);
    for (int i = 0; i < 10; ++i)
        QVERIFY(e.selButton(i)->isEnabled() == editing && e.tabButton(i)->isEnabled() == editing);
}

// The rows and columns of the one table the document holds ("" when it holds no single table).
QString tableShape(const LeadEditor& e)
{
    const auto frames = e.editor()->document()->rootFrame()->childFrames();
    const auto* table = frames.size() == 1 ? qobject_cast<QTextTable*>(frames.first()) : nullptr;
    return table ? QStringLiteral("%1x%2").arg(table->rows()).arg(table->columns()) : QString();
}

// A lead as another program might have written it: odd spacing, quoting and letter case.
const QString OddLead = QStringLiteral(
    "<HTML>\r\n<head><META http-equiv=Content-Type content=\"text/html; charset=utf-8\"></head>\r\n"
    "<BODY  bgColor=#ffffff   data-x='1'>\t<P  class=x align=center>Sale&nbsp;now \u20AC 5</p>\n\n"
    "<!-- kept --><font face=Arial size=2>Call   us</font>\r\n</BODY></HTML>  \r\n");
}

class TestLeadEditor : public QObject {
    Q_OBJECT

private slots:
    void editsAndKeepsStoredHtml();
    void templatesAndTemplateFiles();
    void writesPreviewAndExportFiles();
};

void TestLeadEditor::editsAndKeepsStoredHtml()
{
    LeadEditor e;
    e.showDocument(OddLead);
    checkMode(e, false);
    QCOMPARE(e.html().toUtf8(), OddLead.toUtf8());

    // Switching modes and moving the cursor change nothing.
    e.switchButton()->click();
    checkMode(e, true);
    e.editor()->moveCursor(QTextCursor::End);
    e.switchButton()->click();
    checkMode(e, false);
    QCOMPARE(e.html(), OddLead);

    // Showing another record while editing returns to preview.
    e.switchClick();
    e.showDocument(QStringLiteral("<p>y</p>"));
    checkMode(e, false);

    // Once typed into, the editor's own HTML.
    e.showDocument(OddLead);
    e.switchClick();
    QTest::keyClicks(e.editor(), QStringLiteral("Z"));
    QCOMPARE(e.html(), e.editor()->toHtml());

    // A new document is empty and stays so until typed into.
    e.newDocument();
    QCOMPARE(e.html(), QString());
    QVERIFY(e.editor()->toPlainText().isEmpty());

    // Back colour: the first dialog is accepted with red; the second is cancelled, still showing red.
    e.showDocument(QStringLiteral("<p>one two</p>"));
    e.switchClick();
    QList<QColor> offered;
    e.chooseColor = [&](const QColor& shown) { offered << shown; return offered.size() == 1 ? QColor(Qt::red) : shown; };
    for (int start : {0, 4}) {
        QTextCursor c = e.editor()->textCursor();
        c.setPosition(start);
        c.setPosition(start + 3, QTextCursor::KeepAnchor);
        e.editor()->setTextCursor(c);
        e.tabClick(4);
        QCOMPARE(e.editor()->textCursor().charFormat().background().color(), QColor(Qt::red));
    }
    QCOMPARE(offered.mid(1), QList<QColor>{QColor(Qt::red)});
    QVERIFY(e.html().contains(QStringLiteral("background-color:#ff0000")));
}

void TestLeadEditor::templatesAndTemplateFiles()
{
    TestDataFolder data;
    ScriptedMessages messages;
    const QString file = data.file(QStringLiteral("Docs/Spring.Htm"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("<html><body><h1>Spring offer</h1><p>Caf\xC3\xA9 prices</p></body></html>");
    out.close();
    LeadEditor e;
    e.showDocument(OddLead);
    e.switchClick();

    // A cancelled file dialog and a template answered No change nothing.
    QString chosen = QStringLiteral("  ");
    e.chooseOpenFile = [&](const QString&, const QString&, const QString&) { return chosen; };
    e.loadClick();
    messages.answers = {false};
    e.tabClick(0);
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Replace Content?")});
    QCOMPARE(e.html(), OddLead);

    // Yes (the empty queue's answer): two rows, then two columns, and still editing.
    e.tabClick(0);
    QCOMPARE(tableShape(e), QStringLiteral("2x1"));
    QVERIFY(!e.editor()->toPlainText().contains(QStringLiteral("Sale")));
    QCOMPARE(e.html(), e.editor()->toHtml());
    checkMode(e, true);
    e.tabClick(1);
    QCOMPARE(tableShape(e), QStringLiteral("1x2"));
    QCOMPARE(messages.count(QStringLiteral("Replace Content?")), 3);

    // A template file replaces the document without asking and shows it in preview.
    messages.clear();
    chosen = file;
    e.loadClick();
    checkMode(e, false);
    QVERIFY(e.editor()->toPlainText().contains(QStringLiteral("Spring offer\nCaf\u00e9 prices")));
    QCOMPARE(e.html(), e.editor()->toHtml());
    // A file that cannot be read is reported and leaves the document as it was.
    chosen = data.file(QStringLiteral("Docs/Missing.Htm"));
    e.loadClick();
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Error!")});
    QVERIFY(e.editor()->toPlainText().contains(QStringLiteral("Spring offer")));
}

void TestLeadEditor::writesPreviewAndExportFiles()
{
    TestDataFolder data;
    ScriptedMessages messages;
    LeadEditor e;
    QList<QUrl> opened;
    e.openInBrowser = [&](const QUrl& url) { opened << url; return true; };
    const QString view = data.file(QStringLiteral("Docs/TempView.Htm"));

    // WebView writes the document as it is and opens it; a shorter one overwrites the page completely.
    for (const QString& document : {OddLead, QStringLiteral("<p>short</p>")}) {
        e.showDocument(document);
        e.switchClick();
        e.tabClick(8);
        QCOMPARE(readAll(view), document.toUtf8());
    }
    QCOMPARE(opened, (QList<QUrl>{QUrl::fromLocalFile(view), QUrl::fromLocalFile(view)}));

    // Export: a cancelled dialog writes nothing; a chosen file gets the document; a failure is reported once.
    QString target; // none: cancelled
    e.chooseSaveFile = [&](const QString&, const QString&, const QString&) { return target; };
    const QStringList docsBefore = QDir(data.file(QStringLiteral("Docs"))).entryList(QDir::Files);
    const QStringList rootBefore = QDir(data.path()).entryList(QDir::Files);
    e.tabClick(9);
    QCOMPARE(QDir(data.file(QStringLiteral("Docs"))).entryList(QDir::Files), docsBefore);
    QCOMPARE(QDir(data.path()).entryList(QDir::Files), rootBefore);
    target = data.file(QStringLiteral("Lead.Htm"));
    e.tabClick(9);
    QCOMPARE(readAll(target), QByteArray("<p>short</p>"));
    QVERIFY(messages.shown.isEmpty());
    target = data.file(QStringLiteral("NoSuchFolder/Lead.Htm"));
    e.tabClick(9);
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Error!")});
}

QTEST_MAIN(TestLeadEditor)
#include "tst_leadeditor.moc"
