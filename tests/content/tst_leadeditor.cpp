// The lead editor on the web engine: what it stores, the commands that restructure the letter,
// images, undo, and the files it writes.
#include "common/TestSupport.h"
#include "content/HtmlSplice.h"
#include "content/LeadDialogs.h"
#include "content/LeadEditor.h"
#include "content/LeadView.h"
#include "content/PictureScheme.h"
#include "base/PictureStore.h"
#include "base/ProgramState.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QMimeData>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QWebEnginePage>
#include <QtTest>

namespace {
QString sourceFile(const QString& name)
{
    return qEnvironmentVariable("KORVINA_SOURCE_DIR") + QStringLiteral("/resources/Docs/") + name;
}

// A letter in a bordered box, as the shipped offer template is built.
const QString BoxedLetter = sourceFile(QStringLiteral("Lead-Offer.Htm"));
const QString Paragraph = QStringLiteral("Tell the reader in two sentences what is on offer, for whom, and until when.");
const QString Footer = QStringLiteral("Your company name, street, town, country");

QVariant run(LeadEditor& e, const QString& script) { return e.view()->evaluate(script); }

// Selects `word` (its first occurrence in the body), or the whole text node holding it.
void select(LeadEditor& e, const QString& word, bool wholeNode = false)
{
    const QString script = QStringLiteral(R"((function (word, whole) {
        const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
        for (let n = walker.nextNode(); n; n = walker.nextNode()) {
            const i = n.data.indexOf(word);
            if (i < 0) continue;
            const r = document.createRange();
            r.setStart(n, whole ? 0 : i);
            r.setEnd(n, whole ? n.data.length : i + word.length);
            getSelection().removeAllRanges();
            getSelection().addRange(r);
            return true;
        }
        return false; })("%1", %2))").arg(word, wholeNode ? QStringLiteral("true") : QStringLiteral("false"));
    QVERIFY2(run(e, script).toBool(), qPrintable(word));
}

// The document, parsed again from its text, gives the same text: no invalid nesting that a
// parser would repair (a list inside a paragraph, a block inside inline markup).
bool parsesBackTheSame(LeadEditor& e, const QString& html)
{
    return run(e, QStringLiteral("(function (h) { const d = new DOMParser().parseFromString(h, 'text/html');"
                                 " return (d.doctype ? new XMLSerializer().serializeToString(d.doctype) : '')"
                                 " + d.documentElement.outerHTML === h; })(%1)")
                      .arg(QString::fromUtf8(QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact)).mid(1).chopped(1)))
        .toBool();
}

void openForEditing(LeadEditor& e, const QString& html)
{
    e.showDocument(html);
    e.switchClick();
    QVERIFY(e.view()->waitForLoad());
}

// What a screen reader does with each accessibility event: reads the object and its children.
void readAloud(QAccessibleEvent* event)
{
    QAccessibleInterface* object = event->accessibleInterface();
    if (!object || !object->isValid())
        return;
    object->text(QAccessible::Name);
    for (int i = 0; i < object->childCount(); ++i)
        if (QAccessibleInterface* child = object->child(i))
            child->role();
}

// A letter as written by hand, and as the engine writes it out before any edit.
const QString SpliceGiven = QStringLiteral("<table>\n<tr><td>a</td></tr>\n</table>\n<p>x y</p>\n<p>z</p>\n");
const QString SpliceEngine = QStringLiteral("<html><head></head><body><table>\n<tbody><tr><td>a</td></tr>\n"
                                            "</tbody></table>\n<p>x y</p>\n<p>z</p>\n</body></html>");

const QString Letter = QStringLiteral("<html><head></head><body style=\"background-color: rgb(242, 232, 223); "
                                      "font-family: Georgia; font-size: 18px;\">%1</body></html>");

QString loadFile(LeadEditor& e, const QString& file)
{
    e.chooseOpenFile = [file](const QString&, const QString&, const QString&) { return file; };
    e.loadClick();
    return QString::fromUtf8(fileContents(file));
}

// The boxed letter loaded and open for editing; its text as the file has it.
QString openBoxedLetter(LeadEditor& e)
{
    openForEditing(e, QString());
    const QString file = loadFile(e, BoxedLetter);
    e.switchClick();
    return e.view()->waitForLoad() ? file : QStringLiteral("not loaded");
}
}

class TestLeadEditor : public QObject {
    Q_OBJECT

private slots:
    void init() { m_data = std::make_unique<TestDataFolder>(); m_messages = std::make_unique<ScriptedMessages>(); }
    void cleanup() { m_messages.reset(); m_data.reset(); }

    void givenTextSavedUneditedAsItIs_data()
    {
        QTest::addColumn<QString>("how"); // a template button, or a file to load
        QTest::addColumn<bool>("source"); // looked at in the source view first
        for (bool source : {false, true}) {
            const char* view = source ? " (source)" : "";
            QTest::addRow("2-Rows-Table%s", view) << QStringLiteral("0") << source;
            QTest::addRow("2-Columns-Table%s", view) << QStringLiteral("1") << source;
            for (const char* file : {"Lead-Offer.Htm", "Lead-Announcement.Htm", "Lead-Newsletter.Htm"})
                QTest::addRow("%s%s", file, view) << sourceFile(QString::fromLatin1(file)) << source;
        }
    }
    // A template or a loaded page, looked at in edit mode and not changed, is its text exactly.
    void givenTextSavedUneditedAsItIs()
    {
        QFETCH(QString, how);
        QFETCH(bool, source);
        LeadEditor e;
        openForEditing(e, QStringLiteral("<p>before</p>"));
        QString text;
        if (how.size() == 1) {
            e.tabClick(how.toInt());
            text = LeadEditor::templateText(how.toInt());
        } else {
            text = loadFile(e, how);
            e.switchClick();
        }
        QVERIFY(e.view()->waitForLoad());
        QVERIFY(e.isEditing());
        if (source) {
            e.sourceClick();
            QCOMPARE(e.sourceEditor()->isReadOnly(), false);
            e.sourceClick();
        }
        QCOMPARE(e.html(), text);
        QVERIFY(m_messages->shown.size() <= 1); // "Replace Content?" for a template
    }

    void restructuringKeepsTheLetterValid_data()
    {
        QTest::addColumn<QString>("text");      // what is selected
        QTest::addColumn<QList<int>>("clicks"); // cmdSel (0..9) and cmdTab (10..19) pressed in turn
        QTest::addColumn<QString>("expected");  // what the text's surroundings become
        const QString p = Paragraph;
        QTest::newRow("bold") << p << QList<int>{2} << QStringLiteral("<b>") + p + QStringLiteral("</b>");
        QTest::newRow("indent") << p << QList<int>{8} << QStringLiteral("<p style=\"margin: 0px 0px 14px 40px;\">") + p;
        QTest::newRow("indent twice, outdent") << p << QList<int>{8, 8, 9} << QStringLiteral("<p style=\"margin: 0px 0px 14px 40px;\">") + p;
        QTest::newRow("outdent to the start") << p << QList<int>{8, 9}
                                              << QStringLiteral("<p style=\"margin-top: 0px; margin-right: 0px; margin-bottom: 14px;\">") + p;
        QTest::newRow("numbered") << p << QList<int>{12} << QStringLiteral("<ol><li style=\"margin:0 0 14px 0;\">") + p + QStringLiteral("</li></ol>");
        QTest::newRow("bulleted") << p << QList<int>{13} << QStringLiteral("<ul><li style=\"margin:0 0 14px 0;\">") + p + QStringLiteral("</li></ul>");
        QTest::newRow("numbered, then bulleted") << p << QList<int>{12, 13} << QStringLiteral("<ul><li style=\"margin:0 0 14px 0;\">") + p;
        QTest::newRow("list on and off") << p << QList<int>{13, 13} << QStringLiteral("<p style=\"margin:0 0 14px 0;\">") + p + QStringLiteral("</p>");
        QTest::newRow("indented item") << p << QList<int>{13, 8} << QStringLiteral("<ul><li style=\"margin: 0px 0px 14px 40px;\">") + p;
        QTest::newRow("text in a cell, indented") << Footer << QList<int>{8} << QStringLiteral("<div style=\"margin-left: 40px;\">\n") + Footer;
        QTest::newRow("text in a cell, listed") << Footer << QList<int>{12} << QStringLiteral("<ol><li>\n") + Footer;
    }
    // Bold, indent, outdent and the lists on a boxed letter: valid HTML, no box wrapped or
    // repeated, the rest of the letter as the file has it.
    void restructuringKeepsTheLetterValid()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, expected);
        LeadEditor e;
        const QString file = openBoxedLetter(e);
        const QString before = run(e, QStringLiteral("korvinaLead.serialise()")).toString();
        for (int click : clicks) {
            select(e, text, true);
            click < 10 ? e.selClick(click) : e.tabClick(click - 10);
        }
        const QString after = e.html();

        QVERIFY2(after.contains(expected), qPrintable(after));
        // The document itself (after may be the loaded text, when the commands cancelled out).
        const QString document = run(e, QStringLiteral("korvinaLead.serialise()")).toString();
        QVERIFY2(parsesBackTheSame(e, document), qPrintable(document));
        for (const QString& tag : {QStringLiteral("<table"), QStringLiteral("<td"), QStringLiteral("<tr"), QStringLiteral("border:")})
            QCOMPARE(document.count(tag), before.count(tag));
        QCOMPARE(document.count(text), 1);
        QVERIFY(!document.contains(QStringLiteral("<blockquote")));
        // The rest of the letter stays as the file has it.
        QVERIFY(after.startsWith(file.left(file.indexOf(QStringLiteral("<tr><td style=\"padding:26px")))));
        QVERIFY(after.endsWith(file.mid(file.indexOf(QStringLiteral("<tr><td bgcolor=\"#f2e8df\"")) - 2)) || text == Footer);
    }

    void undoReturnsToTheLoadedText()
    {
        LeadEditor e;
        const QString file = openBoxedLetter(e);
        select(e, QStringLiteral("discount"));
        e.selClick(2);                                                                // bold
        run(e, QStringLiteral("document.execCommand('insertText', false, 'price')")); // typing
        select(e, Paragraph, true);
        e.selClick(8);                                                    // indent
        e.tabClick(3);                                                    // list
        const QString edited = e.html();
        QVERIFY(edited != file);

        for (int i = 0; i < 4; ++i)
            e.tabClick(6);
        QCOMPARE(e.html(), file);
        e.tabClick(6); // nothing more to undo
        QCOMPARE(e.html(), file);
        for (int i = 0; i < 4; ++i)
            e.tabClick(7);
        QCOMPARE(e.html(), edited);
    }

    // The source view: unedited it keeps the text (line ends too); what is typed there is stored as
    // typed, reaches the rich view, and is read-only in preview.
    void sourceViewAppliesWhatWasTyped()
    {
        LeadEditor e;
        const QString stored = QStringLiteral("<html>\r\n<body><p>Old text</p></body></html>\r\n");
        e.showDocument(stored);
        e.sourceClick();
        QVERIFY(e.isSourceShown() && e.sourceEditor()->isReadOnly() && !e.tabButton(6)->isEnabled());
        QCOMPARE(e.html(), stored);
        e.switchClick();
        QVERIFY(!e.sourceEditor()->isReadOnly() && !e.selButton(2)->isEnabled() && e.tabButton(6)->isEnabled());
        QCOMPARE(e.html(), stored);

        const QString typed = QStringLiteral("<html><body><p>New <i>text</i></p></body></html>");
        e.sourceEditor()->selectAll();
        QTest::keyClicks(e.sourceEditor(), typed);
        QCOMPARE(e.html(), typed);
        e.sourceClick();
        QVERIFY(e.view()->waitForLoad());
        QCOMPARE(e.html(), typed);
        QCOMPARE(run(e, QStringLiteral("document.body.innerHTML")).toString(), QStringLiteral("<p>New <i>text</i></p>"));

        // Rich edits show in the source; undone in the source, the rich view gets the text back.
        select(e, QStringLiteral("New"));
        e.selClick(4);
        e.sourceClick();
        QVERIFY(e.sourceEditor()->toPlainText().contains(QStringLiteral("<u>New</u>")));
        e.sourceEditor()->insertPlainText(QStringLiteral("x"));
        e.tabClick(6);
        e.sourceClick();
        QVERIFY(e.html().contains(QStringLiteral("<u>New</u>")));
    }

    void imageFromFileKeptScaledOrRefused_data()
    {
        QTest::addColumn<QSize>("size");      // of the picture file; empty: a text file
        QTest::addColumn<QList<bool>>("answers"); // to the question whether to scale down; none: Esc
        QTest::addColumn<QSize>("inserted");  // as it goes in; empty: nothing goes in
        QTest::addColumn<QString>("message"); // how the one message starts
        QTest::newRow("narrow, asked nothing") << QSize(300, 150) << QList<bool>{} << QSize(300, 150) << QString();
        QTest::newRow("wide, scaled down") << QSize(1200, 400) << QList<bool>{true} << QSize(600, 200)
                                           << QStringLiteral("The picture is 1,200 pixels wide");
        QTest::newRow("wide, original kept") << QSize(1200, 400) << QList<bool>{false} << QSize(1200, 400)
                                             << QStringLiteral("The picture is 1,200 pixels wide");
        QTest::newRow("wide, question closed with Esc") << QSize(1200, 400) << QList<bool>{} << QSize()
                                                        << QStringLiteral("The picture is 1,200 pixels wide");
        QTest::newRow("no picture") << QSize() << QList<bool>{} << QSize() << QString();
        QTest::newRow("no such file") << QSize(0, 1) << QList<bool>{} << QSize() << QStringLiteral("Cannot read the image ");
    }
    void imageFromFileKeptScaledOrRefused()
    {
        QFETCH(QSize, size);
        QFETCH(QList<bool>, answers);
        QFETCH(QSize, inserted);
        QFETCH(QString, message);
        const QString path = m_data->file(QStringLiteral("Docs/Summer_offer.png"));
        if (size.isValid() && !size.isEmpty()) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(path));
        } else if (!size.isValid()) {
            QVERIFY(writeFile(path, "not a picture"));
            message = QDir::toNativeSeparators(path) + QStringLiteral(" is not an image!");
        }
        m_messages->answers = answers;
        m_messages->escapeChoice = size.width() > 600 && answers.isEmpty();
        LeadEditor e;
        openForEditing(e, QStringLiteral("<p>Look here</p>"));
        select(e, QStringLiteral("here"));
        e.askImage = [&] { return path; };
        e.tabClick(5);
        const QString html = e.html();
        QCOMPARE(m_messages->shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(m_messages->shown.first().startsWith(message), qPrintable(m_messages->shown.first()));
        if (inserted.isEmpty()) {
            QCOMPARE(html, QStringLiteral("<p>Look here</p>"));
            QCOMPARE(m_data->count(QStringLiteral("kaPicture")), 0);
            return;
        }
        // The letter names the kept picture, and the view shows it from the table.
        const QString id = m_data->scalar(QStringLiteral("Select PCid From kaPicture"));
        QVERIFY2(html.contains(QStringLiteral("<img src=\"cid:%1\" alt=\"Summer offer\" width=\"%2\" height=\"%3\">")
                                   .arg(id).arg(inserted.width()).arg(inserted.height())),
                 qPrintable(html));
        QCOMPARE(QImage::fromData(PictureStore::find(*state().connection, id)->data).size(), inserted);
        QTRY_COMPARE(run(e, QStringLiteral("document.images[0].naturalWidth")).toInt(), inserted.width());

        // A web address goes in as it is.
        e.askImage = [] { return QStringLiteral("http://127.0.0.1:9/logo.png"); };
        e.tabClick(5);
        QVERIFY(e.html().contains(QStringLiteral("<img src=\"http://127.0.0.1:9/logo.png\">")));
    }

    void pagesWrittenWithTheirPictures_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("web view") << 8;
        QTest::newRow("export") << 9;
    }
    // WebView and Export write the document as it is, a shorter one over the whole of a longer page.
    // A browser cannot read cid: addresses: the kept pictures go beside the page as files (a file
    // already there is replaced), and the page names them. WebView opens the page in the browser;
    // Export writes an edited document as edited, nothing when cancelled, and says once that it failed.
    void pagesWrittenWithTheirPictures()
    {
        QFETCH(int, tab);
        const QByteArray bytes("\x89PNG\r\n\x1a\n picture bytes");
        const QString id = PictureStore::keep(*state().connection, {{}, QStringLiteral("Sale banner.png"), "image/png", bytes});
        const QString name = QStringLiteral("Sale_banner-%1.png").arg(id.left(8));
        const QString beside = m_data->file(QStringLiteral("Docs/") + name);
        QVERIFY(writeFile(beside, "an older, longer file of the user's"));
        LeadEditor e;
        QList<QUrl> opened;
        e.openInBrowser = [&](const QUrl& url) { opened << url; return true; };
        QString page = m_data->file(tab == 8 ? QStringLiteral("Docs/TempView.Htm") : QStringLiteral("Docs/Lead.Htm"));
        e.chooseSaveFile = [&](const QString&, const QString&, const QString&) { return page; };
        const QString stored = QStringLiteral("<HTML>\r\n<BODY bgColor=#ffffff><P class=x>Sale&nbsp;now <img src=\"%1\" alt=\"Sale\"></p>"
                                              "</BODY></HTML>  \r\n");
        openForEditing(e, stored.arg("cid:" + id));
        e.tabClick(tab);
        QCOMPARE(fileContents(page), stored.arg(name).toUtf8());
        QCOMPARE(fileContents(beside), bytes);
        openForEditing(e, QStringLiteral("<p>short</p>"));
        e.tabClick(tab);
        QCOMPARE(fileContents(page), QByteArray("<p>short</p>"));
        QCOMPARE(opened, tab == 8 ? QList<QUrl>(2, QUrl::fromLocalFile(page)) : QList<QUrl>());
        QVERIFY(m_messages->shown.isEmpty());
        if (tab == 8)
            return;

        select(e, QStringLiteral("short"));
        e.selClick(3);
        e.tabClick(9);
        QCOMPARE(fileContents(page), QByteArray("<html><head></head><body><p><i>short</i></p></body></html>"));
        page.clear();
        const QStringList before = QDir(m_data->file(QStringLiteral("Docs"))).entryList(QDir::Files);
        e.tabClick(9);
        QCOMPARE(QDir(m_data->file(QStringLiteral("Docs"))).entryList(QDir::Files), before);
        QVERIFY(m_messages->shown.isEmpty());
        page = m_data->file(QStringLiteral("NoSuchFolder/Lead.Htm"));
        e.tabClick(9);
        QCOMPARE(m_messages->shown, QStringList{QStringLiteral("Error!")});
    }

    // With a screen reader listening, a lead screen opened, closed and opened again: each has its
    // own page, and the first one's is gone with it.
    void eachOpeningHasItsOwnPage()
    {
        QAccessible::setActive(true);
        const QAccessible::UpdateHandler before = QAccessible::installUpdateHandler(readAloud);
        const auto restore = qScopeGuard([before] {
            QAccessible::installUpdateHandler(before);
            QAccessible::setActive(false);
        });
        QPointer<QWebEnginePage> first;
        for (int opening = 0; opening < 2; ++opening) {
            auto e = std::make_unique<LeadEditor>();
            e->show();
            openForEditing(*e, Letter.arg(QStringLiteral("<p>Opening %1</p>").arg(opening)));
            QCOMPARE(run(*e, QStringLiteral("document.body.textContent")).toString(), QStringLiteral("Opening %1").arg(opening));
            QVERIFY(QAccessible::queryAccessibleInterface(e->view())->isValid());
            if (opening == 0)
                first = e->view()->page();
            else
                QVERIFY(first.isNull());
        }
    }

    void linkAddressNormalised_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("host and path") << " www.example.com/shop " << "http://www.example.com/shop";
        QTest::newRow("full address") << "https://example.com/a?b=c d" << "https://example.com/a?b=c%20d";
        QTest::newRow("mail address") << "orders@example.com" << "mailto:orders@example.com";
        QTest::newRow("mailto") << "mailto:orders@example.com" << "mailto:orders@example.com";
        QTest::newRow("anchor") << "#offer" << "#offer";
    }
    void linkAddressNormalised()
    {
        QFETCH(QString, typed);
        QTEST(LeadEditor::linkAddress(typed), "stored");
    }

    void formattingChangesOnlyTheSelection_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("action"); // font, colour, center, link:<text typed in the dialog> or paste:<html>
        QTest::addColumn<QString>("expected");
        const QString p = QStringLiteral("<p>One two three</p><p>Four</p>");
        QTest::newRow("font on one word")
            << p << "font" << "<p>One <span style=\"font-family: Verdana, sans-serif; font-size: 14px;\">two</span> three</p><p>Four</p>";
        QTest::newRow("text colour") << p << "colour" << "<p>One <span style=\"color: rgb(204, 0, 0);\">two</span> three</p><p>Four</p>";
        QTest::newRow("centred list item")
            << "<ul style=\"color:#333\"><li>two</li><li>Four</li></ul>" << "center"
            << "<ul style=\"color:#333\"><li style=\"text-align: center;\">two</li><li>Four</li></ul>";
        QTest::newRow("link on the selection")
            << p << "link:two" << "<p>One <a href=\"http://www.example.com/shop\">two</a> three</p><p>Four</p>";
        QTest::newRow("link with the text typed")
            << p << "link:our shop" << "<p>One <a href=\"http://www.example.com/shop\">our shop</a> three</p><p>Four</p>";
        // HTML pasted from another program keeps its structure and visible styles, and nothing else.
        QTest::newRow("pasted from a word processor")
            << "<p>two</p>" << "paste:<html xmlns:o=\"urn:schemas-microsoft-com:office:office\"><head><meta charset=\"utf-8\"><style>p.MsoNormal{margin:0}"
               "</style></head><body><!--StartFragment--><p class=\"MsoNormal\" style=\"margin:0cm;mso-line-height-alt:12pt;"
               "background-color:initial;background-image:initial;background-position:initial;background-size:initial;"
               "background-repeat:initial;background-origin:initial;background-clip:initial;background-attachment:initial\">"
               "<b>Spring</b> <span class=\"SpellE\" style=\"mso-spl-e:yes\">sale</span><o:p></o:p></p><!--[if gte mso 9]><xml><o:OfficeDocumentSettings/></xml><![endif]-->"
               "<!--EndFragment--></body></html>"
            << "<p style=\"margin: 0cm;\"><b>Spring</b> sale</p>";
        QTest::newRow("pasted table and list")
            << "<p>two</p>" << "paste:<table class=\"t\" border=\"1\"><tr><td style=\"color:#c00;font-weight:bold\">A</td></tr></table>"
               "<ul class=\"l\"><li lang=\"en\">B</li></ul>"
            << "<table border=\"1\"><tbody><tr><td style=\"color:#c00;font-weight:bold\">A</td></tr></tbody></table>"
               "<ul><li>B</li></ul>";
        QTest::newRow("pasted from an office writer")
            << "<p>two</p>" << "paste:<p lang=\"en-GB\" class=\"western\" style=\"margin-bottom: 0cm; background: transparent\">Hi <a href=\"https://example.com/\" "
               "onclick=\"x()\">there</a></p>"
            << "<p style=\"margin-bottom: 0cm;\">Hi <a href=\"https://example.com/\">there</a></p>";
    }
    // Font, colour, alignment, links and pasted HTML change the selection and nothing around it.
    void formattingChangesOnlyTheSelection()
    {
        QFETCH(QString, body);
        QFETCH(QString, action);
        QFETCH(QString, expected);
        LeadEditor e;
        QString opened;
        e.chooseFont = [&](QString& family, int& px) {
            opened = QStringLiteral("%1 %2").arg(family).arg(px);
            family = QStringLiteral("Verdana");
            px = 14;
            return true;
        };
        e.chooseColor = [](const QColor&) { return QColor(0xcc, 0, 0); };
        QString offered; // the dialog's text: the selection
        e.askLink = [&](QString& url, QString& text) {
            offered = text;
            url = QStringLiteral("www.example.com/shop");
            text = action.mid(5);
            return true;
        };
        e.show();
        openForEditing(e, Letter.arg(body));
        select(e, QStringLiteral("two"));
        if (action == QLatin1String("font"))
            e.selClick(0);
        else if (action == QLatin1String("colour"))
            e.textColourButton()->click();
        else if (action == QLatin1String("center"))
            e.selClick(6);
        else if (action.startsWith(QLatin1String("link:")))
            e.selClick(1);
        else {
            auto* data = new QMimeData;
            data->setHtml(action.mid(6));
            data->setText(QStringLiteral("plain"));
            QGuiApplication::clipboard()->setMimeData(data);
            e.view()->triggerPageAction(QWebEnginePage::Paste);
        }
        QTRY_COMPARE(e.html(), Letter.arg(expected)); // a paragraph pasted over makes way
        QVERIFY(parsesBackTheSame(e, e.html()));
        if (action == QLatin1String("font"))
            QCOMPARE(opened, QStringLiteral("Georgia 18"));
        if (action.startsWith(QLatin1String("link:")))
            QCOMPARE(offered, QStringLiteral("two"));
    }

    void fontDialogOpensAtTheFont_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("px");
        QTest::addColumn<QString>("shown"); // family and size the dialog opens at
        QTest::newRow("mail font") << "Georgia" << 18 << "Georgia 18 px";
        QTest::newRow("size between two") << "Verdana" << 17 << "Verdana 16 px";
        QTest::newRow("local font") << "DejaVu Sans" << 9 << "Arial 10 px";
    }
    // The font dialog opens at the selection's font, among the families that mail programs have.
    void fontDialogOpensAtTheFont()
    {
        QFETCH(QString, family);
        QFETCH(int, px);
        QString opened;
        QStringList offered;
        onModal<QDialog>([&](QDialog* dialog) {
            auto* families = dialog->findChild<QComboBox*>(QStringLiteral("cmbFontFamily"));
            opened = families->currentText() + QLatin1Char(' ')
                + dialog->findChild<QComboBox*>(QStringLiteral("cmbFontSize"))->currentText();
            for (int i = 0; i < families->count(); ++i)
                offered << families->itemText(i);
            families->setCurrentText(QStringLiteral("Tahoma"));
            dialog->accept();
        });
        QVERIFY(LeadDialogs::askFont(nullptr, family, px));
        QTEST(opened, "shown");
        QCOMPARE(offered, LeadDialogs::mailFamilies());
        QCOMPARE(family, QStringLiteral("Tahoma"));
    }

    void editCarriedBackIntoTheGivenText_data()
    {
        QTest::addColumn<QString>("from"); // in the engine's text
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("expected"); // the given text after the edit; empty: cannot be placed
        QTest::newRow("nothing changed") << "x y" << "x y" << SpliceGiven;
        QTest::newRow("within a line") << "x y" << "x <b>y</b>" << "<table>\n<tr><td>a</td></tr>\n</table>\n<p>x <b>y</b></p>\n<p>z</p>\n";
        QTest::newRow("new line between two") << "y</p>\n<p>z" << "y</p>\n<p>new</p>\n<p>z"
                                              << "<table>\n<tr><td>a</td></tr>\n</table>\n<p>x y</p>\n<p>new</p>\n<p>z</p>\n";
        QTest::newRow("line removed") << "<p>x y</p>\n" << "" << "<table>\n<tr><td>a</td></tr>\n</table>\n<p>z</p>\n";
        QTest::newRow("in a line the engine rewrote") << "<td>a</td>" << "<td><i>a</i></td>" << "";
        QTest::newRow("from a kept line into a rewritten one") << "a</td></tr>\n</tbody>" << "b</td></tr>\n</tbody>" << "";
    }
    // An edit of the engine's text goes back into the text the lead was given as, where it can be placed.
    void editCarriedBackIntoTheGivenText()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QVERIFY(SpliceEngine.count(from) == 1);
        QTEST(HtmlSplice::splice(SpliceGiven, SpliceEngine, QString(SpliceEngine).replace(from, to)), "expected");
    }

private:
    std::unique_ptr<TestDataFolder> m_data;
    std::unique_ptr<ScriptedMessages> m_messages;
};

int main(int argc, char** argv)
{
    // The web engine shares its graphics contexts with the application's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    PictureScheme::registerScheme();
    QApplication app(argc, argv);
    TestLeadEditor test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_leadeditor.moc"
