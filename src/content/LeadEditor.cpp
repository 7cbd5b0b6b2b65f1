#include "content/LeadEditor.h"

#include "content/HtmlSplice.h"
#include "content/LeadDialogs.h"
#include "content/LeadPictures.h"
#include "content/LeadView.h"
#include "platform/AppError.h"
#include "base/Messages.h"
#include "base/PictureStore.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedWidget>
#include <QStringConverter>
#include <QVBoxLayout>

namespace {
struct ButtonText {
    const char* caption;
    const char* toolTip;
};

// cmdSel(0..9): formatting.
constexpr ButtonText SelButtons[10] = {
    {"Font", "Formatting"}, {"Link", "HyperLink"}, {"B", "Bold"}, {"I", "Italic"},
    {"U", "Underline"}, {"L=", "Left"}, {"=", "Center"}, {"=R", "Right"},
    {"=>", "Indent"}, {"<=", "Outdent"},
};

// cmdTab(0..9): templates, lists, colour, image, undo, redo, browser, export.
constexpr ButtonText TabButtons[10] = {
    {"\u25A4", "2-Rows-Table"}, {"\u25A5", "2-Columns-Table"}, {"1-", "Numeric-Bullet"},
    {"\u2022", "Normal-Bullet"}, {"\u25A7", "BackColor"}, {"\u25A3", "Image"},
    {"\u21B6", "Undo"}, {"\u21B7", "Redo"}, {"\u25CE", "WebView"}, {"\u2913", "Export"},
};

// The tool buttons that work on the text itself, and so also in the source view.
enum TabIndex { RowsTable = 0, ColumnsTable = 1, Undo = 6, Redo = 7, WebView = 8, Export = 9 };
bool worksOnSource(int tab) { return tab == RowsTable || tab == ColumnsTable || (tab >= Undo && tab <= Export); }

const QString EditCaption = QStringLiteral("Edit>");
const QString PreviewCaption = QStringLiteral("<Preview");

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QString& toolTip)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    b->setAccessibleName(toolTip);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QString docsFolder() { return state().DataFolder + QStringLiteral("/Docs/"); }

// The text of an HTML file: the encoding its meta tag names, else UTF-8.
QString readHtmlFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(53, QStringLiteral("LoadDocument"), QStringLiteral("File not found: %1").arg(path));
    const QByteArray data = file.readAll();
    if (auto encoding = QStringConverter::encodingForHtml(data)) {
        QStringDecoder decode(*encoding);
        return decode(data);
    }
    return QString::fromUtf8(data);
}

// A text as a script's string literal.
QString literal(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// CSS properties as a script's object.
QString properties(std::initializer_list<std::pair<const char*, QString>> list)
{
    QStringList entries;
    for (const auto& [name, value] : list)
        entries << literal(QString::fromLatin1(name)) + QLatin1Char(':') + literal(value);
    return QLatin1Char('{') + entries.join(QLatin1Char(',')) + QLatin1Char('}');
}
}

LeadEditor::LeadEditor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LeadEditor"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* top = new QHBoxLayout;
    m_switch = makeButton(this, QStringLiteral("cmdHtml"), EditCaption, QStringLiteral("Edit/Preview"));
    m_sourceSwitch = makeButton(this, QStringLiteral("cmdSource"), QStringLiteral("HTML"), QStringLiteral("HTML Source"));
    m_sourceSwitch->setCheckable(true);
    m_load = makeButton(this, QStringLiteral("cmdLoad"), QStringLiteral("Template"), QStringLiteral("Load Template"));
    top->addWidget(m_switch);
    top->addWidget(m_sourceSwitch);
    top->addWidget(m_load);
    top->addSpacing(12);
    for (int i = 0; i < 10; ++i) {
        QPushButton* b = makeButton(this, QStringLiteral("cmdSel_%1").arg(i), QString::fromUtf8(SelButtons[i].caption),
                                    QString::fromUtf8(SelButtons[i].toolTip));
        connect(b, &QPushButton::clicked, this, [this, i] { selClick(i); });
        top->addWidget(b);
        m_sel << b;
    }
    top->addStretch();
    layout->addLayout(top);

    auto* second = new QHBoxLayout;
    for (int i = 0; i < 10; ++i) {
        QPushButton* b = makeButton(this, QStringLiteral("cmdTab_%1").arg(i), QString::fromUtf8(TabButtons[i].caption),
                                    QString::fromUtf8(TabButtons[i].toolTip));
        connect(b, &QPushButton::clicked, this, [this, i] { tabClick(i); });
        second->addWidget(b);
        m_tab << b;
        if (i == 4) {
            // The text colour beside the background colour.
            m_textColour = makeButton(this, QStringLiteral("cmdForeColor"), QStringLiteral("A"), QStringLiteral("TextColor"));
            connect(m_textColour, &QPushButton::clicked, this, &LeadEditor::textColourClick);
            second->addWidget(m_textColour);
        }
    }
    second->addStretch();
    layout->addLayout(second);

    m_pages = new QStackedWidget(this);
    m_pages->setMinimumHeight(200);
    m_view = new LeadView(m_pages);
    m_source = new QPlainTextEdit(m_pages);
    m_source->setObjectName(QStringLiteral("txtSource"));
    m_source->setAccessibleName(QStringLiteral("HTML Source"));
    m_source->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_source->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pages->addWidget(m_view);
    m_pages->addWidget(m_source);
    layout->addWidget(m_pages, 1);

    connect(m_switch, &QPushButton::clicked, this, &LeadEditor::switchClick);
    connect(m_sourceSwitch, &QPushButton::clicked, this, &LeadEditor::sourceClick);
    connect(m_load, &QPushButton::clicked, this, &LeadEditor::loadClick);

    chooseOpenFile = [this](const QString& title, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(this, title, folder, filter);
    };
    chooseSaveFile = [this](const QString& title, const QString& folder, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, folder, filter);
    };
    chooseColor = [this](const QColor& initial) {
        // A cancelled dialog still gives the colour it showed last.
        QColorDialog dialog(initial, this);
        dialog.exec();
        return dialog.currentColor();
    };
    chooseFont = [this](QString& family, int& px) { return LeadDialogs::askFont(this, family, px); };
    askLink = [this](QString& url, QString& text) { return LeadDialogs::askLink(this, url, text); };
    askImage = [this] {
        QString address;
        const auto chooseFile = [this] {
            return chooseOpenFile(QStringLiteral("Image"), docsFolder(),
                                  QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp *.svg *.webp);;All Files (*)"));
        };
        return LeadDialogs::askImage(this, address, chooseFile) ? address : QString();
    };
    openInBrowser = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    setDocument(QString());
    setEditing(false);
}

void LeadEditor::setEditing(bool editing)
{
    m_editing = editing;
    m_switch->setText(editing ? PreviewCaption : EditCaption);
    m_view->setEditable(editing);
    m_touched = m_touched || editing;
    m_source->setReadOnly(!editing);
    updateButtons();
}

void LeadEditor::updateButtons()
{
    for (QAbstractButton* b : m_sel)
        b->setEnabled(m_editing && !m_sourceShown);
    m_textColour->setEnabled(m_editing && !m_sourceShown);
    for (int i = 0; i < m_tab.size(); ++i)
        m_tab[i]->setEnabled(m_editing && (!m_sourceShown || worksOnSource(i)));
}

void LeadEditor::setSourceShown(bool shown)
{
    if (shown == m_sourceShown)
        return;
    if (shown) {
        m_sourceBase = html();
        m_source->setPlainText(m_sourceBase);
        m_source->document()->setModified(false);
    } else if (m_source->document()->isModified()) {
        // What was typed in the source is the document now, exactly as typed.
        setDocument(m_source->toPlainText());
    }
    m_sourceShown = shown;
    m_sourceSwitch->setChecked(shown);
    m_pages->setCurrentWidget(shown ? static_cast<QWidget*>(m_source) : m_view);
    updateButtons();
}

void LeadEditor::setDocument(const QString& html)
{
    m_text = html;
    m_touched = m_editing;
    m_view->setDocument(html, QUrl::fromLocalFile(docsFolder()));
    if (m_sourceShown) {
        m_sourceBase = html;
        m_source->setPlainText(html);
        m_source->document()->setModified(false);
    }
}

void LeadEditor::showDocument(const QString& html)
{
    setEditing(false);
    setDocument(html);
}

void LeadEditor::newDocument() { setDocument(QString()); }

QString LeadEditor::sourceText() const
{
    return m_source->document()->isModified() ? m_source->toPlainText() : m_sourceBase;
}

QString LeadEditor::html()
{
    if (m_sourceShown)
        return sourceText();
    if (!m_touched)
        return m_text;
    const QVariantMap now = m_view->evaluate(QStringLiteral("korvinaLead.state()")).toMap();
    if (!now.value(QStringLiteral("edited")).toBool())
        return m_text;
    // The edit goes into the given text, so that the rest of it stays as it was written; the
    // engine's own text when the result would not be the edited document.
    const QString edited = now.value(QStringLiteral("html")).toString();
    const QString spliced = HtmlSplice::splice(m_text, now.value(QStringLiteral("initial")).toString(), edited);
    if (!spliced.isEmpty()
        && m_view->evaluate(QStringLiteral("korvinaLead.parsesTo(%1, %2)").arg(literal(spliced), literal(edited))).toBool())
        return spliced;
    return edited;
}

bool LeadEditor::fitsColumn(const QString& html)
{
    if (html.size() <= MaxLength)
        return true;
    const QLocale c(QLocale::English);
    Messages::current().notice(QStringLiteral("The lead has %1 characters, more than the %2 a lead can hold. "
                                              "Shorten it and save again!")
                                   .arg(c.toString(html.size()), c.toString(MaxLength)));
    return false;
}

QString LeadEditor::templateText(int index)
{
    QStringList lines{QStringLiteral("<html>"), QStringLiteral("<head><title>Lead</title></head>"),
                      QStringLiteral("<body>"), QStringLiteral("<table border='0' width='100%'>")};
    if (index == RowsTable)
        lines << QStringLiteral("<tr><td width='100%'>&nbsp;</td></tr>")
              << QStringLiteral("<tr><td width='100%'>&nbsp;</td></tr>");
    else
        lines << QStringLiteral("<tr><td width='50%'>&nbsp;</td>") << QStringLiteral("<td width='50%'>&nbsp;</td></tr>");
    lines << QStringLiteral("</table>") << QStringLiteral("</body></html>");
    return lines.join(QStringLiteral("\r\n"));
}

void LeadEditor::switchClick()
{
    const QString caption = m_switch->text();
    if (caption == EditCaption) {
        setEditing(true);
        (m_sourceShown ? static_cast<QWidget*>(m_source) : m_view)->setFocus(Qt::OtherFocusReason);
    } else if (caption == PreviewCaption) {
        setEditing(false);
    }
}

void LeadEditor::sourceClick()
{
    Guard([&] { setSourceShown(!m_sourceShown); });
    m_sourceSwitch->setChecked(m_sourceShown);
}

void LeadEditor::loadClick()
{
    QString file;
    Guard([&] { file = chooseOpenFile(QStringLiteral("Load Template"), docsFolder(),
                                      QStringLiteral("Html (*.htm *.Htm *.HTM *.html);;All Files (*)")); });
    if (file.trimmed().isEmpty())
        return;
    setEditing(false);
    // The loaded page reaches the record only when the record is saved.
    Guard([&] { setDocument(readHtmlFile(file)); });
}

void LeadEditor::command(const QString& name, const QString& value)
{
    m_view->post(QStringLiteral("korvinaLead.command(%1, %2)").arg(literal(name), literal(value)));
}

void LeadEditor::selClick(int index)
{
    Guard([&] {
        switch (index) {
        case 0: chooseSelectionFont(); break;
        case 1: insertLink(); break;
        case 2: command(QStringLiteral("bold")); break;
        case 3: command(QStringLiteral("italic")); break;
        case 4: command(QStringLiteral("underline")); break;
        case 5: m_view->post(QStringLiteral("korvinaLead.align('left')")); break;
        case 6: m_view->post(QStringLiteral("korvinaLead.align('center')")); break;
        case 7: m_view->post(QStringLiteral("korvinaLead.align('right')")); break;
        case 8: m_view->post(QStringLiteral("korvinaLead.indent(1)")); break;
        case 9: m_view->post(QStringLiteral("korvinaLead.indent(-1)")); break;
        default: break;
        }
    });
    m_view->setFocus(Qt::OtherFocusReason);
}

void LeadEditor::tabClick(int index)
{
    Guard([&] {
        switch (index) {
        case RowsTable:
        case ColumnsTable:
            if (Messages::current().question(QStringLiteral("Replace Content?")))
                setDocument(templateText(index));
            break;
        case 2: m_view->post(QStringLiteral("korvinaLead.list(true)")); break;
        case 3: m_view->post(QStringLiteral("korvinaLead.list(false)")); break;
        case 4:
            m_lastColour = chooseColor(m_lastColour);
            command(QStringLiteral("backColor"), m_lastColour.name());
            break;
        case 5: insertImage(); break;
        case Undo:
            if (m_sourceShown)
                m_source->undo();
            else
                m_view->post(QStringLiteral("korvinaLead.undo()"));
            break;
        case Redo:
            if (m_sourceShown)
                m_source->redo();
            else
                m_view->post(QStringLiteral("korvinaLead.redo()"));
            break;
        case WebView: {
            const QString path = docsFolder() + QStringLiteral("TempView.Htm");
            Guard([&] { writeFile(path); });
            openInBrowser(QUrl::fromLocalFile(path));
            break;
        }
        case Export: {
            const QString file = chooseSaveFile(QStringLiteral("Export"), docsFolder(), QStringLiteral("Html (*.Htm)"));
            if (!file.trimmed().isEmpty())
                writeFile(file);
            break;
        }
        default:
            break;
        }
    });
    (m_sourceShown ? static_cast<QWidget*>(m_source) : m_view)->setFocus(Qt::OtherFocusReason);
}

void LeadEditor::textColourClick()
{
    Guard([&] {
        m_lastTextColour = chooseColor(m_lastTextColour);
        m_view->post(QStringLiteral("korvinaLead.style(%1)").arg(properties({{"color", m_lastTextColour.name()}})));
    });
    m_view->setFocus(Qt::OtherFocusReason);
}

void LeadEditor::chooseSelectionFont()
{
    const QVariantMap now = m_view->evaluate(QStringLiteral("korvinaLead.selectionFont()")).toMap();
    QString family = now.value(QStringLiteral("family")).toString();
    int px = now.value(QStringLiteral("px")).toInt();
    if (!chooseFont(family, px))
        return;
    m_view->post(QStringLiteral("korvinaLead.style(%1)")
                     .arg(properties({{"font-family", LeadDialogs::fontStack(family)},
                                      {"font-size", QString::number(px) + QStringLiteral("px")}})));
}

QString LeadEditor::linkAddress(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
        return text;
    if (!text.contains(QLatin1Char(':')) && !text.contains(QLatin1Char('/')) && text.contains(QLatin1Char('@')))
        return QStringLiteral("mailto:") + text;
    const QUrl url = QUrl::fromUserInput(text);
    return url.isValid() ? url.toString(QUrl::FullyEncoded) : text;
}

void LeadEditor::writeFile(const QString& path)
{
    // A browser cannot read cid: addresses: the pictures go beside the page, as files.
    const QByteArray page = LeadPictures::writeBeside(*state().connection, html(), path).toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.commit())
        throw AppError(75, QStringLiteral("SaveDocument"), QStringLiteral("Path/File access error: %1").arg(path));
}

void LeadEditor::insertLink()
{
    QString text = m_view->evaluate(QStringLiteral("window.getSelection().toString()")).toString();
    QString url;
    if (!askLink(url, text) || url.trimmed().isEmpty())
        return;
    m_view->post(QStringLiteral("korvinaLead.link(%1, %2)").arg(literal(linkAddress(url)), literal(text)));
}

void LeadEditor::insertImage()
{
    const QString address = askImage().trimmed();
    if (address.isEmpty())
        return;
    const QUrl url = QUrl::fromUserInput(address, QString(), QUrl::AssumeLocalFile);
    if (!url.isLocalFile()) {
        command(QStringLiteral("insertImage"), url.toString(QUrl::FullyEncoded));
        return;
    }
    // A file path means nothing to whoever receives the letter: the picture is kept with the
    // letters and the letter names it.
    const std::optional<LeadPictures::Inserted> picture = LeadPictures::fromFile(url.toLocalFile());
    if (!picture)
        return;
    PictureStore::keep(*state().connection, picture->picture);
    command(QStringLiteral("insertHTML"), LeadPictures::imageTag(*picture));
}
