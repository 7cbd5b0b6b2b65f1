// The lead editor: edit/preview states, keeping the stored HTML, templates and files.
#include "common/TestSupport.h"
#include "content/LeadEditor.h"
#include "shell/ProgramState.h"

#include <QAbstractButton>
#include <QFile>
#include <QPushButton>
#include <QTextEdit>
#include <QTextFrame>
#include <QtTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

bool toolsEnabled(const LeadEditor& e, bool enabled)
{
    for (int i = 0; i < 10; ++i)
        if (e.selButton(i)->isEnabled() != enabled || e.tabButton(i)->isEnabled() != enabled)
            return false;
    return true;
}

// What the editor makes of a text it is given.
QString rendered(const QString& html)
{
    QTextEdit reference;
    reference.setHtml(html);
    return reference.toHtml();
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
    void switchesBetweenPreviewAndEditing();
    void keepsStoredHtmlUntilEdited();
    void templatesReplaceOnlyOnYes();
    void loadsTemplateFileIntoPreview();
    void writesPreviewAndExportFiles();
    void backColourUsesTheDialogsColour();
};

void TestLeadEditor::switchesBetweenPreviewAndEditing()
{
    LeadEditor e;
    QCOMPARE(e.switchButton()->objectName(), QStringLiteral("cmdHtml"));
    QCOMPARE(e.editor()->objectName(), QStringLiteral("htmLead"));
    QCOMPARE(e.loadButton()->text(), QStringLiteral("Template"));
    QCOMPARE(e.loadButton()->toolTip(), QStringLiteral("Load Template"));
    QCOMPARE(e.selButton(2)->text(), QStringLiteral("B"));
    QCOMPARE(e.tabButton(2)->text(), QStringLiteral("1-"));
    QCOMPARE(e.tabButton(8)->toolTip(), QStringLiteral("WebView"));
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(e.selButton(i)->objectName(), QStringLiteral("cmdSel_%1").arg(i));
        QCOMPARE(e.tabButton(i)->objectName(), QStringLiteral("cmdTab_%1").arg(i));
        QCOMPARE(e.tabButton(i)->accessibleName(), e.tabButton(i)->toolTip());
        QCOMPARE(e.selButton(i)->accessibleName(), e.selButton(i)->toolTip());
        QVERIFY(!e.tabButton(i)->text().isEmpty());
    }

    e.showDocument(QStringLiteral("<p>x</p>"));
    QCOMPARE(e.switchButton()->text(), QStringLiteral("Edit>"));
    QVERIFY(e.editor()->isReadOnly());
    QVERIFY(toolsEnabled(e, false));

    e.switchButton()->click();
    QCOMPARE(e.switchButton()->text(), QStringLiteral("<Preview"));
    QVERIFY(!e.editor()->isReadOnly());
    QVERIFY(toolsEnabled(e, true));

    e.switchButton()->click();
    QCOMPARE(e.switchButton()->text(), QStringLiteral("Edit>"));
    QVERIFY(e.editor()->isReadOnly());
    QVERIFY(toolsEnabled(e, false));

    // Showing another record while editing returns to preview.
    e.switchButton()->click();
    e.showDocument(QStringLiteral("<p>y</p>"));
    QCOMPARE(e.switchButton()->text(), QStringLiteral("Edit>"));
    QVERIFY(toolsEnabled(e, false));
}

void TestLeadEditor::keepsStoredHtmlUntilEdited()
{
    LeadEditor e;
    e.showDocument(OddLead);
    QCOMPARE(e.html(), OddLead);
    QCOMPARE(e.html().toUtf8(), OddLead.toUtf8());

    // Switching modes and moving the cursor change nothing.
    e.switchClick();
    QTextCursor c = e.editor()->textCursor();
    c.movePosition(QTextCursor::End);
    e.editor()->setTextCursor(c);
    e.switchClick();
    QCOMPARE(e.html(), OddLead);

    // Once edited, the editor's own HTML.
    e.switchClick();
    e.editor()->selectAll();
    e.selClick(2); // bold
    QVERIFY(e.html() != OddLead);
    QCOMPARE(e.html(), e.editor()->toHtml());
    QVERIFY(e.html().contains(QStringLiteral("font-weight")));

    // Typing counts as editing too.
    e.showDocument(OddLead);
    e.switchClick();
    QTest::keyClicks(e.editor(), QStringLiteral("Z"));
    QVERIFY(e.editor()->toPlainText().contains(QLatin1Char('Z')));
    QCOMPARE(e.html(), e.editor()->toHtml());

    // A new document is empty and stays so until typed into.
    e.newDocument();
    QCOMPARE(e.html(), QString());
    QVERIFY(e.editor()->toPlainText().isEmpty());
}

void TestLeadEditor::templatesReplaceOnlyOnYes()
{
    TestDataFolder data;
    ScriptedMessages messages;
    LeadEditor e;
    e.showDocument(OddLead);
    e.switchClick();

    messages.answers = {false};
    e.tabClick(0);
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Replace Content?")});
    QCOMPARE(e.html(), OddLead);

    const QString rows = QStringLiteral(
        "<html>\r\n<head><title>Lead</title></head>\r\n<body>\r\n<table border='0' width='100%'>\r\n"
        "<tr><td width='100%'>&nbsp;</td></tr>\r\n<tr><td width='100%'>&nbsp;</td></tr>\r\n</table>\r\n</body></html>");
    const QString columns = QStringLiteral(
        "<html>\r\n<head><title>Lead</title></head>\r\n<body>\r\n<table border='0' width='100%'>\r\n"
        "<tr><td width='50%'>&nbsp;</td>\r\n<td width='50%'>&nbsp;</td></tr>\r\n</table>\r\n</body></html>");
    QCOMPARE(LeadEditor::templateText(0), rows);
    QCOMPARE(LeadEditor::templateText(1), columns);

    messages.answers = {true};
    e.tabClick(0);
    QCOMPARE(e.html(), rendered(rows));
    QCOMPARE(e.editor()->document()->rootFrame()->childFrames().size(), 1); // the one table
    QVERIFY(!e.editor()->toPlainText().contains(QStringLiteral("Sale")));
    QVERIFY(!e.editor()->isReadOnly()); // still editing

    messages.answers = {true};
    e.tabClick(1);
    QCOMPARE(e.html(), rendered(columns));
    QCOMPARE(messages.count(QStringLiteral("Replace Content?")), 3);
}

void TestLeadEditor::loadsTemplateFileIntoPreview()
{
    TestDataFolder data;
    ScriptedMessages messages;
    const QString file = data.file(QStringLiteral("Docs/Spring.Htm"));
    writeAll(file, "<html><body><h1>Spring offer</h1><p>Caf\xC3\xA9 prices</p></body></html>");

    LeadEditor e;
    e.showDocument(OddLead);
    e.switchClick();
    QStringList asked;
    e.chooseOpenFile = [&](const QString& title, const QString& folder, const QString&) {
        asked << title << folder;
        return QStringLiteral("  ");
    };
    e.loadClick(); // cancelled: nothing changes
    QCOMPARE(asked, (QStringList{QStringLiteral("Load Template"), data.path() + QStringLiteral("/Docs/")}));
    QCOMPARE(e.html(), OddLead);
    QVERIFY(!e.editor()->isReadOnly());

    e.chooseOpenFile = [&](const QString&, const QString&, const QString&) { return file; };
    e.loadClick();
    QCOMPARE(e.switchButton()->text(), QStringLiteral("Edit>"));
    QVERIFY(e.editor()->isReadOnly());
    QVERIFY(toolsEnabled(e, false));
    QVERIFY(e.editor()->toPlainText().contains(QStringLiteral("Spring offer")));
    QVERIFY(e.editor()->toPlainText().contains(QStringLiteral("Caf\u00e9 prices")));
    QCOMPARE(e.html(), e.editor()->toHtml());

    // A file that cannot be read is reported and leaves the document as it was.
    e.chooseOpenFile = [&](const QString&, const QString&, const QString&) {
        return data.file(QStringLiteral("Docs/Missing.Htm"));
    };
    e.loadClick();
    QCOMPARE(messages.count(QStringLiteral("Error!")), 1);
    QVERIFY(e.editor()->toPlainText().contains(QStringLiteral("Spring offer")));
}

void TestLeadEditor::writesPreviewAndExportFiles()
{
    TestDataFolder data;
    ScriptedMessages messages;
    LeadEditor e;
    QList<QUrl> opened;
    e.openInBrowser = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    const QString view = data.file(QStringLiteral("Docs/TempView.Htm"));

    e.showDocument(OddLead);
    e.switchClick();
    e.tabClick(8);
    QCOMPARE(readAll(view), OddLead.toUtf8());
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(view)});

    // A shorter document overwrites the page completely.
    e.showDocument(QStringLiteral("<p>short</p>"));
    e.switchClick();
    e.tabClick(8);
    QCOMPARE(readAll(view), QByteArray("<p>short</p>"));
    QCOMPARE(opened.size(), 2);

    // Export: a cancelled dialog writes nothing; a chosen file gets the document.
    QString filter;
    e.chooseSaveFile = [&](const QString&, const QString&, const QString& f) {
        filter = f;
        return QString();
    };
    const QStringList docsBefore = QDir(data.file(QStringLiteral("Docs"))).entryList(QDir::Files);
    const QStringList rootBefore = QDir(data.path()).entryList(QDir::Files);
    e.tabClick(9);
    QCOMPARE(filter, QStringLiteral("Html (*.Htm)"));
    QCOMPARE(QDir(data.file(QStringLiteral("Docs"))).entryList(QDir::Files), docsBefore);
    QCOMPARE(QDir(data.path()).entryList(QDir::Files), rootBefore);

    const QString target = data.file(QStringLiteral("Lead.Htm"));
    e.chooseSaveFile = [&](const QString&, const QString&, const QString&) { return target; };
    e.tabClick(9);
    QCOMPARE(readAll(target), QByteArray("<p>short</p>"));
    QVERIFY(messages.shown.isEmpty());

    // An export that cannot be written is reported once.
    e.chooseSaveFile = [&](const QString&, const QString&, const QString&) {
        return data.file(QStringLiteral("NoSuchFolder/Lead.Htm"));
    };
    e.tabClick(9);
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Error!")});
}

void TestLeadEditor::backColourUsesTheDialogsColour()
{
    TestDataFolder data;
    ScriptedMessages messages;
    LeadEditor e;
    e.showDocument(QStringLiteral("<p>one two</p>"));
    e.switchClick();

    QList<QColor> offered;
    // The first dialog is accepted with red; the second is cancelled, still showing red.
    e.chooseColor = [&](const QColor& initial) {
        offered << initial;
        return offered.size() == 1 ? QColor(Qt::red) : initial;
    };
    QTextCursor c = e.editor()->textCursor();
    c.setPosition(0);
    c.setPosition(3, QTextCursor::KeepAnchor);
    e.editor()->setTextCursor(c);
    e.tabClick(4);
    QCOMPARE(e.editor()->textCursor().charFormat().background().color(), QColor(Qt::red));

    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    e.editor()->setTextCursor(c);
    e.tabClick(4);
    QCOMPARE(offered.size(), 2);
    QCOMPARE(offered.at(1), QColor(Qt::red));
    QCOMPARE(e.editor()->textCursor().charFormat().background().color(), QColor(Qt::red));
    QVERIFY(e.html().contains(QStringLiteral("background-color:#ff0000")));
}

QTEST_MAIN(TestLeadEditor)
#include "tst_leadeditor.moc"
