#include "platform/HtmlText.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>

namespace {

// The value of one attribute of a start tag's text, entities left as written.
QString attribute(const QString& tag, const QString& name)
{
    const QRegularExpression re(QStringLiteral("\\b%1\\s*=\\s*(\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(tag);
    if (!m.hasMatch())
        return {};
    for (int i = 2; i <= 4; ++i)
        if (m.capturedStart(i) >= 0)
            return m.captured(i);
    return {};
}

QString decodeEntities(const QString& text)
{
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    static const QHash<QString, QString> named = [] {
        QHash<QString, QString> n{
            {QStringLiteral("amp"), QStringLiteral("&")},     {QStringLiteral("lt"), QStringLiteral("<")},
            {QStringLiteral("gt"), QStringLiteral(">")},      {QStringLiteral("quot"), QStringLiteral("\"")},
            {QStringLiteral("apos"), QStringLiteral("'")},    {QStringLiteral("euro"), QStringLiteral("\u20AC")},
            {QStringLiteral("hellip"), QStringLiteral("\u2026")}, {QStringLiteral("ndash"), QStringLiteral("\u2013")},
            {QStringLiteral("mdash"), QStringLiteral("\u2014")}, {QStringLiteral("lsquo"), QStringLiteral("\u2018")},
            {QStringLiteral("rsquo"), QStringLiteral("\u2019")}, {QStringLiteral("ldquo"), QStringLiteral("\u201C")},
            {QStringLiteral("rdquo"), QStringLiteral("\u201D")}, {QStringLiteral("bull"), QStringLiteral("\u2022")},
            {QStringLiteral("trade"), QStringLiteral("\u2122")}};
        // The Latin-1 names, for the characters 160 to 255 in order.
        const QStringList latin1 = QStringLiteral(
            "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 sup3 "
            "acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc Atilde Auml "
            "Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde "
            "Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde auml aring aelig "
            "ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide "
            "oslash ugrave uacute ucirc uuml yacute thorn yuml").split(QLatin1Char(' '));
        for (int i = 0; i < latin1.size(); ++i)
            n.insert(latin1.at(i), QString(QChar(160 + i)));
        return n;
    }();
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        QString value = m.captured(0);
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
            const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                value = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (const auto n = named.constFind(name); n != named.constEnd()) {
            value = *n;
        } else if (const auto lower = named.constFind(name.toLower()); lower != named.constEnd()) {
            value = *lower; // "&AMP;"
        }
        out += value;
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}

// Builds the text: words with single blanks, and breaks that come in the strongest kind
// asked for between two pieces of text.
class Writer {
public:
    enum Break { None = 0, Line = 1, Paragraph = 2 };
    void text(const QString& words)
    {
        static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n\\f]+"));
        QString t = words;
        t.replace(blanks, QStringLiteral(" "));
        if (t.isEmpty())
            return;
        if (m_break != None && !m_out.isEmpty()) {
            m_out += m_break == Paragraph ? QStringLiteral("\n\n") : QStringLiteral("\n");
            m_out += m_indent;
            m_lineStart = true;
        }
        m_break = None;
        if (m_lineStart || m_out.isEmpty()) {
            while (t.startsWith(QLatin1Char(' ')))
                t.remove(0, 1);
        } else if (m_out.endsWith(QLatin1Char(' ')) && t.startsWith(QLatin1Char(' '))) {
            t.remove(0, 1);
        }
        if (t.isEmpty())
            return;
        m_out += t;
        m_lineStart = false;
    }
    void pending(Break b) { m_break = std::max(m_break, b); }
    // A line's own start ("- ", "1. "), written when its first text comes.
    void startItem(const QString& marker)
    {
        pending(Line);
        text(marker);
        m_lineStart = true; // the marker's blank stays
    }
    void setIndent(const QString& indent) { m_indent = indent; }
    QString result() const
    {
        QString out = m_out;
        out.replace(QChar(0xA0), QLatin1Char(' '));
        static const QRegularExpression trailing(QStringLiteral("[ ]+\\n"));
        out.replace(trailing, QStringLiteral("\n"));
        return out.trimmed();
    }

private:
    QString m_out;
    QString m_indent;
    Break m_break = None;
    bool m_lineStart = true;
};

bool isOneOf(const QString& name, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

struct List {
    bool ordered;
    int next;
};

}

namespace HtmlText {

QString toPlain(const QString& html)
{
    static const QRegularExpression token(
        QStringLiteral("<!--.*?-->|<(/?)([a-zA-Z][a-zA-Z0-9]*)([^>]*)>|<![^>]*>|<\\?[^>]*>"),
        QRegularExpression::DotMatchesEverythingOption);
    Writer w;
    QVector<List> lists;
    QString skipUntil; // inside head, style, script, title
    QString href;      // the link being written
    QString linkText;
    bool inLink = false;
    qsizetype last = 0;
    auto emitText = [&](const QString& raw) {
        if (!skipUntil.isEmpty() || raw.isEmpty())
            return;
        const QString t = decodeEntities(raw);
        if (inLink)
            linkText += t;
        else
            w.text(t);
    };
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        emitText(html.mid(last, m.capturedStart() - last));
        last = m.capturedEnd();
        const QString name = m.captured(2).toLower();
        if (name.isEmpty())
            continue; // comment, doctype
        const bool closing = !m.captured(1).isEmpty();
        if (!skipUntil.isEmpty()) {
            if (closing && name == skipUntil)
                skipUntil.clear();
            continue;
        }
        if (!closing && isOneOf(name, {"head", "style", "script", "title"})) {
            skipUntil = name;
            continue;
        }
        if (name == QLatin1String("a")) {
            if (!closing) {
                href = decodeEntities(attribute(m.captured(3), QStringLiteral("href"))).trimmed();
                linkText.clear();
                inLink = true;
            } else if (inLink) {
                inLink = false;
                const QString shown = linkText.simplified();
                const QString target = href.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive) ? href.mid(7) : href;
                if (target.isEmpty() || shown == target || shown == href)
                    w.text(linkText);
                else
                    w.text(shown.isEmpty() ? target : linkText + QStringLiteral(" (") + target + QLatin1Char(')'));
            }
        } else if (name == QLatin1String("br")) {
            w.pending(Writer::Line);
            if (inLink)
                linkText += QLatin1Char(' ');
        } else if (name == QLatin1String("img") && !closing) {
            const QString alt = decodeEntities(attribute(m.captured(3), QStringLiteral("alt"))).trimmed();
            if (!alt.isEmpty())
                emitText(QLatin1Char('[') + alt + QLatin1Char(']'));
        } else if (name == QLatin1String("ul") || name == QLatin1String("ol")) {
            if (!closing)
                lists.append({name == QLatin1String("ol"), 1});
            else if (!lists.isEmpty())
                lists.removeLast();
            w.setIndent(QString(std::max<qsizetype>(0, lists.size() - 1) * 2, QLatin1Char(' ')));
            w.pending(lists.isEmpty() ? Writer::Paragraph : Writer::Line);
        } else if (name == QLatin1String("li")) {
            if (!closing) {
                QString marker = QStringLiteral("- ");
                if (!lists.isEmpty() && lists.last().ordered)
                    marker = QString::number(lists.last().next++) + QStringLiteral(". ");
                w.startItem(marker);
            } else {
                w.pending(Writer::Line);
            }
        } else if (isOneOf(name, {"p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "table", "pre",
                                  "hr", "center", "section", "header", "footer", "article"})) {
            w.pending(Writer::Paragraph);
        } else if (name == QLatin1String("tr")) {
            w.pending(Writer::Line);
        } else if ((name == QLatin1String("td") || name == QLatin1String("th")) && !closing) {
            w.text(QStringLiteral(" "));
        }
    }
    emitText(html.mid(last));
    if (inLink)
        w.text(linkText);
    return w.result();
}

}
