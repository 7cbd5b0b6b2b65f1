#include "content/LeadEditor.h"

#include "platform/AppError.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringConverter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
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

// Each block touched by the cursor's selection (or the cursor's block).
template <class Fn>
void forEachBlock(const QTextCursor& cursor, Fn fn)
{
    QTextDocument* doc = cursor.document();
    QTextBlock block = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    while (block.isValid()) {
        fn(block);
        if (block == last)
            break;
        block = block.next();
    }
}

bool askLinkDialog(QWidget* parent, QString& url, QString& text)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("HyperLink"));
    auto* form = new QFormLayout(&dialog);
    auto* urlBox = new QLineEdit(url, &dialog);
    urlBox->setObjectName(QStringLiteral("txtLinkUrl"));
    auto* textBox = new QLineEdit(text, &dialog);
    textBox->setObjectName(QStringLiteral("txtLinkText"));
    form->addRow(QStringLiteral("URL"), urlBox);
    form->addRow(QStringLiteral("Text"), textBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    url = urlBox->text();
    text = textBox->text();
    return true;
}
}

LeadEditor::LeadEditor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LeadEditor"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* top = new QHBoxLayout;
    m_switch = makeButton(this, QStringLiteral("cmdHtml"), EditCaption, QStringLiteral("Edit/Preview"));
    m_load = makeButton(this, QStringLiteral("cmdLoad"), QStringLiteral("Template"), QStringLiteral("Load Template"));
    top->addWidget(m_switch);
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
    }
    second->addStretch();
    layout->addLayout(second);

    m_editor = new QTextEdit(this);
    m_editor->setObjectName(QStringLiteral("htmLead"));
    m_editor->setAccessibleName(QStringLiteral("Message(Html)"));
    m_editor->setAcceptRichText(true);
    m_editor->setMinimumHeight(200);
    {
        // A preview on a screen in "View" stays readable while the screen's frame is disabled.
        QPalette p = m_editor->palette();
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::Base, QPalette::WindowText})
            p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
        m_editor->setPalette(p);
    }
    layout->addWidget(m_editor, 1);

    connect(m_editor->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_settingDocument)
            emit documentEdited();
    });
    connect(m_switch, &QPushButton::clicked, this, &LeadEditor::switchClick);
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
    chooseFont = [this](QFont& font) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, this);
        if (ok)
            font = chosen;
        return ok;
    };
    askLink = [this](QString& url, QString& text) { return askLinkDialog(this, url, text); };
    openInBrowser = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    setPreview();
}

void LeadEditor::setEditing(bool editing)
{
    m_editing = editing;
    m_switch->setText(editing ? PreviewCaption : EditCaption);
    m_editor->setReadOnly(!editing);
    for (QAbstractButton* b : m_sel)
        b->setEnabled(editing);
    for (QAbstractButton* b : m_tab)
        b->setEnabled(editing);
}

void LeadEditor::setPreview() { setEditing(false); }

void LeadEditor::setDocument(const QString& html, bool replaced)
{
    m_settingDocument = true;
    m_editor->setHtml(html);
    m_editor->document()->setModified(false);
    m_settingDocument = false;
    m_original = html;
    m_replaced = replaced;
    if (replaced)
        emit documentEdited();
}

void LeadEditor::showDocument(const QString& html)
{
    setPreview();
    setDocument(html, false);
}

void LeadEditor::newDocument() { setDocument(QString(), false); }

QString LeadEditor::html() const
{
    if (!m_replaced && !m_editor->document()->isModified())
        return m_original;
    return m_editor->toHtml();
}

QString LeadEditor::templateText(int index)
{
    QStringList lines{QStringLiteral("<html>"), QStringLiteral("<head><title>Lead</title></head>"),
                      QStringLiteral("<body>"), QStringLiteral("<table border='0' width='100%'>")};
    if (index == 0)
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
        m_editor->setFocus(Qt::OtherFocusReason);
    } else if (caption == PreviewCaption) {
        setEditing(false);
    }
}

void LeadEditor::loadClick()
{
    QString file;
    Guard([&] { file = chooseOpenFile(QStringLiteral("Load Template"), docsFolder(),
                                      QStringLiteral("Html (*.htm *.Htm *.HTM *.html);;All Files (*)")); });
    if (file.trimmed().isEmpty())
        return;
    setPreview();
    // The loaded page reaches the record only when the record is saved.
    Guard([&] { setDocument(readHtmlFile(file), true); });
}

void LeadEditor::selClick(int index)
{
    Guard([&] {
        QTextCharFormat format;
        switch (index) {
        case 0: {
            QFont font = m_editor->currentFont();
            if (!chooseFont(font))
                break;
            format.setFont(font);
            m_editor->mergeCurrentCharFormat(format);
            break;
        }
        case 1:
            insertLink();
            break;
        case 2:
            format.setFontWeight(m_editor->fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
            m_editor->mergeCurrentCharFormat(format);
            break;
        case 3:
            format.setFontItalic(!m_editor->fontItalic());
            m_editor->mergeCurrentCharFormat(format);
            break;
        case 4:
            format.setFontUnderline(!m_editor->fontUnderline());
            m_editor->mergeCurrentCharFormat(format);
            break;
        case 5:
            m_editor->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
            break;
        case 6:
            m_editor->setAlignment(Qt::AlignHCenter);
            break;
        case 7:
            m_editor->setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
            break;
        case 8:
            indent(1);
            break;
        case 9:
            indent(-1);
            break;
        default:
            break;
        }
    });
    m_editor->setFocus(Qt::OtherFocusReason);
}

void LeadEditor::tabClick(int index)
{
    Guard([&] {
        switch (index) {
        case 0:
        case 1:
            if (Messages::current().question(QStringLiteral("Replace Content?")))
                setDocument(templateText(index), true);
            break;
        case 2:
            toggleList(QTextListFormat::ListDecimal);
            break;
        case 3:
            toggleList(QTextListFormat::ListDisc);
            break;
        case 4: {
            m_lastColour = chooseColor(m_lastColour);
            QTextCharFormat format;
            format.setBackground(m_lastColour);
            m_editor->mergeCurrentCharFormat(format);
            break;
        }
        case 5:
            insertImage();
            break;
        case 6:
            m_editor->undo();
            break;
        case 7:
            m_editor->redo();
            break;
        case 8: {
            const QString path = docsFolder() + QStringLiteral("TempView.Htm");
            Guard([&] { writeFile(path); });
            openInBrowser(QUrl::fromLocalFile(path));
            break;
        }
        case 9: {
            const QString file = chooseSaveFile(QStringLiteral("Export"), docsFolder(), QStringLiteral("Html (*.Htm)"));
            if (!file.trimmed().isEmpty())
                writeFile(file);
            break;
        }
        default:
            break;
        }
    });
    m_editor->setFocus(Qt::OtherFocusReason);
}

void LeadEditor::writeFile(const QString& path) const
{
    QFile file(path);
    const QByteArray data = html().toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        throw AppError(75, QStringLiteral("SaveDocument"), QStringLiteral("Path/File access error: %1").arg(path));
}

void LeadEditor::toggleList(int style)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.beginEditBlock();
    QTextList* list = cursor.currentList();
    if (list && list->format().style() == style) {
        // The same list again: its blocks become plain paragraphs.
        forEachBlock(cursor, [](QTextBlock block) {
            if (QTextList* l = block.textList()) {
                l->remove(block);
                QTextCursor c(block);
                QTextBlockFormat f = block.blockFormat();
                f.setIndent(0);
                c.setBlockFormat(f);
            }
        });
    } else if (list) {
        QTextListFormat format = list->format();
        format.setStyle(QTextListFormat::Style(style));
        list->setFormat(format);
    } else {
        QTextListFormat format;
        format.setStyle(QTextListFormat::Style(style));
        cursor.createList(format);
    }
    cursor.endEditBlock();
}

void LeadEditor::indent(int delta)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.beginEditBlock();
    if (QTextList* list = cursor.currentList()) {
        QTextListFormat format = list->format();
        format.setIndent(qMax(1, format.indent() + delta));
        list->setFormat(format);
    } else {
        forEachBlock(cursor, [delta](QTextBlock block) {
            QTextBlockFormat format = block.blockFormat();
            format.setIndent(qMax(0, format.indent() + delta));
            QTextCursor(block).setBlockFormat(format);
        });
    }
    cursor.endEditBlock();
}

void LeadEditor::insertLink()
{
    QTextCursor cursor = m_editor->textCursor();
    QString text = cursor.selectedText();
    QString url;
    if (!askLink(url, text) || url.trimmed().isEmpty())
        return;
    const QTextCharFormat plain = cursor.charFormat();
    QTextCharFormat link = plain;
    link.setAnchor(true);
    link.setAnchorHref(url.trimmed());
    link.setForeground(palette().color(QPalette::Link));
    link.setFontUnderline(true);
    cursor.insertText(text.isEmpty() ? url.trimmed() : text, link);
    cursor.setCharFormat(plain);
    m_editor->setTextCursor(cursor);
    m_editor->setCurrentCharFormat(plain);
}

void LeadEditor::insertImage()
{
    const QString file = chooseOpenFile(QStringLiteral("Image"), docsFolder(),
                                        QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp);;All Files (*)"));
    if (file.trimmed().isEmpty())
        return;
    QTextImageFormat image;
    image.setName(QUrl::fromLocalFile(file).toString());
    m_editor->textCursor().insertImage(image);
}
