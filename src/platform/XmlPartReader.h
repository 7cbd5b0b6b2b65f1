#pragma once
#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QIODevice>

// A pull reader for the XML parts of a workbook, made for the size of a worksheet: a few
// comparisons a tag and no allocation once it runs. It knows elements, attributes, text,
// character and the five named references, CDATA, comments and processing instructions,
// reads UTF-8 (a UTF-16 part is turned into it as it is read) and checks that every element
// is closed by its own name. Names are local: <x:row> is "row". A document type is refused:
// no workbook part has one, and its entities are what XML bombs are made of.
//
// Anything that is no well-formed XML throws AppError (WorkbookErrors::InvalidFile) naming
// `where`.
class XmlPartReader {
public:
    enum class Token { Start, End, Done };

    // Reads the part from `device`, which it keeps.
    XmlPartReader(std::unique_ptr<QIODevice> device, QString where);

    // The next start or end of an element; the text between is passed over. An empty element
    // (<v/>) gives its Start and then its End.
    Token next();
    // The next start of an element, passing over ends; false at the end of the part.
    bool nextStart();
    // How many elements are open; an element counts from its Start up to its End.
    int depth() const { return int(m_open.size()); }
    // The next element started directly inside the element open at `depth`, passing over
    // anything deeper; false once that element has ended.
    bool nextChild(int depth);

    // The current element's local name, and whether it is `name`.
    std::string_view name() const { return m_name; }
    bool is(std::string_view name) const { return m_name == name; }
    // The value of the current start tag's attribute with that local name, references
    // replaced; empty when there is none.
    std::string_view attribute(std::string_view name) const;
    QString attributeText(std::string_view name) const;

    // Appends the text of the element just started (as UTF-8), up to its end, which it
    // consumes. An element inside it is no text: the part is refused.
    void appendText(QByteArray& out);

    [[noreturn]] void damaged(const QString& why) const;

private:
    struct Attribute {
        std::string_view name;
        std::string_view value;
        std::string decoded; // the value with its references replaced, when it has any
    };

    bool fill();
    bool startsWith(std::string_view marker);
    qsizetype findTagEnd();
    std::string_view takeUntil(std::string_view opener, std::string_view closer);
    void readStartTag(qsizetype end);
    void readEndTag(qsizetype end);
    template<typename Out> void decode(Out& out, std::string_view text, bool attribute) const;

    std::unique_ptr<QIODevice> m_device;
    QString m_where;
    QStringDecoder m_utf16;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    bool m_started = false;
    bool m_seenElement = false;
    bool m_emptyPending = false;
    std::vector<std::string> m_open;
    std::string_view m_name;
    std::vector<Attribute> m_attributes;
    size_t m_attributeCount = 0;
};
