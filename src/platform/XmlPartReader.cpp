#include "platform/XmlPartReader.h"

#include "platform/AppError.h"
#include "platform/WorksheetRows.h"

#include <charconv>
#include <cstring>

namespace {

const QString kSource = QStringLiteral("Workbook reader");
constexpr qint64 kChunk = 1 << 16;
constexpr size_t npos = std::string_view::npos;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view localName(std::string_view qualified)
{
    const size_t colon = qualified.rfind(':');
    return colon == npos ? qualified : qualified.substr(colon + 1);
}

QString asText(std::string_view bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }

template<typename Out> void appendUtf8(Out& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
        return;
    }
    if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
    } else {
        if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
        }
        out += char(0x80 | ((c >> 6) & 0x3F));
    }
    out += char(0x80 | (c & 0x3F));
}

// The character a reference (between '&' and ';') stands for; false for none.
template<typename Out> bool appendReference(Out& out, std::string_view reference)
{
    static const struct { std::string_view name; char character; } named[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& n : named)
        if (reference == n.name) {
            out += n.character;
            return true;
        }
    if (reference.size() < 2 || reference[0] != '#')
        return false;
    const bool hex = reference[1] == 'x';
    const std::string_view digits = reference.substr(hex ? 2 : 1);
    quint32 code = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0x10FFFF
        || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    appendUtf8(out, char32_t(code));
    return true;
}

}

XmlPartReader::XmlPartReader(std::unique_ptr<QIODevice> device, QString where)
    : m_device(std::move(device)), m_where(std::move(where))
{
}

void XmlPartReader::damaged(const QString& why) const
{
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 cannot be read as a workbook: %2").arg(m_where, why));
}

// Reads more of the part behind what is left to read; false at its end. What was read before
// the position is dropped, so every index into the buffer moves back by the old position.
bool XmlPartReader::fill()
{
    m_buffer.remove(0, m_position);
    m_position = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + kChunk);
    const qint64 got = m_device->read(m_buffer.data() + kept, kChunk);
    if (got < 0)
        damaged(QStringLiteral("the part is damaged"));
    m_buffer.resize(kept + qsizetype(got));
    qsizetype fresh = kept;
    if (!m_started && got > 0) {
        m_started = true;
        const QByteArray head = m_buffer.left(3);
        if (head.startsWith("\xEF\xBB\xBF"))
            m_position = 3;
        else if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
            m_utf16 = QStringDecoder(head.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
            fresh = 2;
        }
    }
    if (m_utf16.isValid()) {
        const QString decoded = m_utf16.decode(QByteArrayView(m_buffer.constData() + fresh, m_buffer.size() - fresh));
        if (m_utf16.hasError())
            damaged(QStringLiteral("the part is no UTF-16"));
        m_buffer.resize(kept);
        m_buffer += decoded.toUtf8();
    }
    return got > 0;
}

bool XmlPartReader::startsWith(std::string_view marker)
{
    while (m_buffer.size() - m_position < qsizetype(marker.size()))
        if (!fill())
            return false;
    return std::memcmp(m_buffer.constData() + m_position, marker.data(), marker.size()) == 0;
}

// The index of the '>' that ends the tag at the position; a '>' inside a quoted value is text.
qsizetype XmlPartReader::findTagEnd()
{
    qsizetype i = m_position + 1;
    char quote = 0;
    for (;;) {
        const char* data = m_buffer.constData();
        for (const qsizetype size = m_buffer.size(); i < size; ++i) {
            const char c = data[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return i;
            } else if (c == '<') {
                damaged(QStringLiteral("a tag is not closed"));
            }
        }
        const qsizetype read = i - m_position;
        if (!fill())
            damaged(QStringLiteral("the part ends inside a tag"));
        i = read;
    }
}

// What stands between the position plus `opener` and `closer` (a comment's, a section's or an
// instruction's end); the position moves past the closer.
std::string_view XmlPartReader::takeUntil(std::string_view opener, std::string_view closer)
{
    size_t searched = opener.size();
    for (;;) {
        const std::string_view rest(m_buffer.constData() + m_position, size_t(m_buffer.size() - m_position));
        const size_t at = rest.find(closer, searched);
        if (at != npos) {
            m_position += qsizetype(at + closer.size());
            return rest.substr(opener.size(), at - opener.size());
        }
        searched = std::max(opener.size(), rest.size() - std::min(rest.size(), closer.size() - 1));
        if (!fill())
            damaged(QStringLiteral("the part ends inside %1").arg(asText(opener)));
    }
}

XmlPartReader::Token XmlPartReader::next()
{
    m_attributeCount = 0;
    if (m_emptyPending) {
        m_emptyPending = false;
        m_open.pop_back();
        return Token::End;
    }
    for (;;) {
        const char* data = m_buffer.constData();
        const auto* open = static_cast<const char*>(std::memchr(data + m_position, '<', size_t(m_buffer.size() - m_position)));
        if (!open) {
            m_position = m_buffer.size();
            if (fill())
                continue;
            if (!m_open.empty())
                damaged(QStringLiteral("the part ends inside <%1>").arg(QString::fromStdString(m_open.back())));
            if (!m_seenElement)
                damaged(QStringLiteral("the part has no element"));
            return Token::Done;
        }
        m_position = open - data;
        if (startsWith("</")) {
            readEndTag(findTagEnd());
            return Token::End;
        }
        if (startsWith("<?"))
            takeUntil("<?", "?>");
        else if (startsWith("<!--"))
            takeUntil("<!--", "-->");
        else if (startsWith("<![CDATA["))
            takeUntil("<![CDATA[", "]]>");
        else if (startsWith("<!"))
            damaged(QStringLiteral("a document type (a workbook part has none)"));
        else {
            readStartTag(findTagEnd());
            return Token::Start;
        }
    }
}

bool XmlPartReader::nextStart()
{
    for (Token t = next(); t != Token::Done; t = next())
        if (t == Token::Start)
            return true;
    return false;
}

bool XmlPartReader::nextChild(int depth)
{
    for (;;) {
        switch (next()) {
        case Token::Start:
            if (this->depth() == depth + 1)
                return true;
            break;
        case Token::End:
            if (this->depth() < depth)
                return false;
            break;
        case Token::Done:
            return false;
        }
    }
}

void XmlPartReader::readStartTag(qsizetype end)
{
    if (m_open.empty() && m_seenElement)
        damaged(QStringLiteral("a second root element"));
    m_seenElement = true;
    const char* data = m_buffer.constData();
    const bool empty = data[end - 1] == '/';
    const qsizetype stop = empty ? end - 1 : end;
    qsizetype i = m_position + 1;
    while (i < stop && !isSpace(data[i]))
        ++i;
    const std::string_view qualified(data + m_position + 1, size_t(i - m_position - 1));
    if (qualified.empty())
        damaged(QStringLiteral("a tag without a name"));
    m_open.emplace_back(qualified);
    m_name = localName(qualified);
    for (;;) {
        while (i < stop && isSpace(data[i]))
            ++i;
        if (i >= stop)
            break;
        const qsizetype nameStart = i;
        while (i < stop && data[i] != '=' && !isSpace(data[i]))
            ++i;
        const std::string_view name(data + nameStart, size_t(i - nameStart));
        while (i < stop && isSpace(data[i]))
            ++i;
        if (i >= stop || data[i] != '=')
            damaged(QStringLiteral("the attribute %1 has no value").arg(asText(name)));
        ++i;
        while (i < stop && isSpace(data[i]))
            ++i;
        if (i >= stop || (data[i] != '"' && data[i] != '\''))
            damaged(QStringLiteral("the attribute %1 has no quoted value").arg(asText(name)));
        const char quote = data[i++];
        const qsizetype valueStart = i;
        while (i < stop && data[i] != quote)
            ++i;
        const std::string_view value(data + valueStart, size_t(i - valueStart));
        ++i;
        if (name == "xmlns" || name.substr(0, 6) == "xmlns:")
            continue;
        if (m_attributeCount == m_attributes.size())
            m_attributes.emplace_back();
        Attribute& a = m_attributes[m_attributeCount++];
        a.name = localName(name);
        a.value = value;
        if (value.find_first_of("&\t\n\r") != npos) {
            a.decoded.clear();
            decode(a.decoded, value, true);
            a.value = a.decoded;
        }
    }
    m_emptyPending = empty;
    m_position = end + 1;
}

void XmlPartReader::readEndTag(qsizetype end)
{
    const char* data = m_buffer.constData();
    qsizetype last = end;
    while (last > m_position + 2 && isSpace(data[last - 1]))
        --last;
    const std::string_view qualified(data + m_position + 2, size_t(last - m_position - 2));
    if (m_open.empty() || m_open.back() != qualified)
        damaged(QStringLiteral("</%1> closes no open element").arg(asText(qualified)));
    m_open.pop_back();
    m_name = localName(qualified);
    m_position = end + 1;
}

std::string_view XmlPartReader::attribute(std::string_view name) const
{
    for (size_t i = 0; i < m_attributeCount; ++i)
        if (m_attributes[i].name == name)
            return m_attributes[i].value;
    return {};
}

QString XmlPartReader::attributeText(std::string_view name) const { return asText(attribute(name)); }

void XmlPartReader::appendText(QByteArray& out)
{
    if (m_emptyPending) {
        next();
        return;
    }
    const size_t depth = m_open.size();
    qsizetype scanned = m_position;
    for (;;) {
        const char* data = m_buffer.constData();
        const auto* open = static_cast<const char*>(std::memchr(data + scanned, '<', size_t(m_buffer.size() - scanned)));
        if (!open) {
            const qsizetype read = m_buffer.size() - m_position;
            if (!fill())
                damaged(QStringLiteral("the part ends inside a text"));
            scanned = read;
            continue;
        }
        decode(out, std::string_view(data + m_position, size_t(open - data - m_position)), false);
        m_position = open - data;
        if (startsWith("</")) {
            readEndTag(findTagEnd());
            if (m_open.size() < depth)
                return;
        } else if (startsWith("<![CDATA[")) {
            for (const char c : takeUntil("<![CDATA[", "]]>"))
                out += c; // its line ends as they are
        } else if (startsWith("<!--")) {
            takeUntil("<!--", "-->");
        } else if (startsWith("<?")) {
            takeUntil("<?", "?>");
        } else {
            damaged(QStringLiteral("an element inside a text"));
        }
        scanned = m_position;
    }
}

// Appends `text` with its references replaced and its line ends made one "\n" (a blank in an
// attribute's value, with tabs), as XML reads them.
template<typename Out> void XmlPartReader::decode(Out& out, std::string_view text, bool attribute) const
{
    const char* special = attribute ? "&\t\n\r" : "&\r";
    size_t i = 0;
    while (i < text.size()) {
        const size_t at = text.find_first_of(special, i);
        out.append(text.data() + i, qsizetype((at == npos ? text.size() : at) - i));
        if (at == npos)
            return;
        if (text[at] != '&') {
            out += attribute ? ' ' : '\n';
            i = at + 1 + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n');
            continue;
        }
        const size_t semicolon = text.find(';', at);
        if (semicolon == npos || !appendReference(out, text.substr(at + 1, semicolon - at - 1)))
            damaged(QStringLiteral("an unknown reference in %1").arg(asText(text.substr(at, 12))));
        i = semicolon + 1;
    }
}
