#include "platform/XlsFormulaResults.h"

#include <QFile>

#include <cstring>

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint16 kFormula = 0x0006;
constexpr quint16 kString = 0x0207;
constexpr quint16 kSheet = 0x0085;
constexpr quint16 kEndOfFile = 0x000A;

quint8 byteAt(const QByteArray& b, qsizetype at) { return quint8(b.at(at)); }
quint16 u16(const QByteArray& b, qsizetype at)
{
    return at >= 0 && at + 2 <= b.size() ? quint16(byteAt(b, at) | byteAt(b, at + 1) << 8) : 0;
}
quint32 u32(const QByteArray& b, qsizetype at)
{
    return at >= 0 && at + 4 <= b.size() ? quint32(u16(b, at)) | quint32(u16(b, at + 2)) << 16 : kEndOfChain;
}

// The streams of an OLE2 compound document, found by name.
class CompoundFile {
public:
    explicit CompoundFile(QByteArray bytes) : m_bytes(std::move(bytes))
    {
        m_shift = u16(m_bytes, 0x1E);
        if (m_bytes.size() < 512 || (m_shift != 9 && m_shift != 12))
            return;
        QVector<quint32> fatSectors;
        for (int i = 0; i < 109; ++i)
            fatSectors << u32(m_bytes, 0x4C + 4 * i);
        quint32 difat = u32(m_bytes, 0x44);
        const int perSector = (1 << m_shift) / 4 - 1;
        for (int guard = 0; difat < kEndOfChain && guard < 100000; ++guard) {
            for (int i = 0; i < perSector; ++i)
                fatSectors << u32(m_bytes, offset(difat) + 4 * i);
            difat = u32(m_bytes, offset(difat) + 4 * perSector);
        }
        for (quint32 sector : fatSectors)
            if (sector < kEndOfChain)
                for (int i = 0; i < (1 << m_shift) / 4; ++i)
                    m_fat << u32(m_bytes, offset(sector) + 4 * i);
        m_directory = chain(u32(m_bytes, 0x30), m_fat, [this](quint32 s) { return offset(s); }, 1 << m_shift);
        m_miniCutoff = u32(m_bytes, 0x38);
        const QByteArray miniFatBytes = chain(u32(m_bytes, 0x3C), m_fat, [this](quint32 s) { return offset(s); }, 1 << m_shift);
        for (qsizetype at = 0; at + 4 <= miniFatBytes.size(); at += 4)
            m_miniFat << u32(miniFatBytes, at);
    }

    QByteArray stream(const QString& name) const
    {
        QByteArray ministream;
        for (qsizetype at = 0; at + 128 <= m_directory.size(); at += 128) {
            const int nameBytes = std::clamp<int>(u16(m_directory, at + 64), 2, 64) - 2;
            const QString entry = QString::fromUtf16(reinterpret_cast<const char16_t*>(m_directory.constData() + at), nameBytes / 2);
            const int type = m_directory.at(at + 66);
            const quint32 start = u32(m_directory, at + 116);
            const quint32 size = u32(m_directory, at + 120);
            if (type == 5)
                ministream = chain(start, m_fat, [this](quint32 s) { return offset(s); }, 1 << m_shift).left(size);
            else if (type == 2 && entry.compare(name, Qt::CaseInsensitive) == 0) {
                if (size >= m_miniCutoff)
                    return chain(start, m_fat, [this](quint32 s) { return offset(s); }, 1 << m_shift).left(size);
                return chain(start, m_miniFat, [](quint32 s) { return qint64(s) << 6; }, 64, &ministream).left(size);
            }
        }
        return {};
    }

private:
    qint64 offset(quint32 sector) const { return (qint64(sector) + 1) << m_shift; }

    template <class Offset>
    QByteArray chain(quint32 start, const QVector<quint32>& fat, Offset offsetOf, int size, const QByteArray* from = nullptr) const
    {
        const QByteArray& source = from ? *from : m_bytes;
        QByteArray data;
        for (quint32 s = start, guard = 0; s < quint32(fat.size()) && guard < quint32(fat.size()); s = fat[s], ++guard) {
            const qint64 at = offsetOf(s);
            if (at + size > source.size())
                break;
            data.append(source.constData() + at, size);
        }
        return data;
    }

    QByteArray m_bytes;
    int m_shift = 0;
    QVector<quint32> m_fat;
    QVector<quint32> m_miniFat;
    QByteArray m_directory;
    quint32 m_miniCutoff = 4096;
};

// An XLUnicodeString (or its short form): characters compressed to one byte or UTF-16.
QString unicodeString(const QByteArray& b, qsizetype at, int count)
{
    const bool wide = at < b.size() && (b.at(at) & 1);
    ++at;
    if (wide)
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData() + at),
                                  std::min<qsizetype>(count, (b.size() - at) / 2));
    return QString::fromLatin1(b.constData() + at, std::min<qsizetype>(count, b.size() - at));
}

// The stream offset of the named sheet's records, from the globals' BOUNDSHEET records.
qint64 sheetOffset(const QByteArray& book, const QString& sheetName)
{
    for (qsizetype at = 0; at + 4 <= book.size();) {
        const quint16 type = u16(book, at), length = u16(book, at + 2);
        const QByteArray data = book.mid(at + 4, length);
        if (type == kSheet && data.size() > 8 && unicodeString(data, 7, quint8(data.at(6))).compare(sheetName, Qt::CaseInsensitive) == 0)
            return u32(data, 0);
        if (type == kEndOfFile)
            break;
        at += 4 + length;
    }
    return -1;
}

}

QHash<quint64, QVariant> XlsFormulaResults::read(const QString& path, const QString& sheetName)
{
    QHash<quint64, QVariant> results;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return results;
    const CompoundFile compound(file.readAll());
    QByteArray book = compound.stream(QStringLiteral("Workbook"));
    if (book.isEmpty())
        book = compound.stream(QStringLiteral("Book"));
    const qint64 start = sheetOffset(book, sheetName);
    if (start < 0)
        return results;
    quint64 waitingForText = 0;
    bool waiting = false;
    for (qsizetype at = start; at + 4 <= book.size();) {
        const quint16 type = u16(book, at), length = u16(book, at + 2);
        const QByteArray data = book.mid(at + 4, length);
        at += 4 + length;
        if (type == kEndOfFile)
            break;
        if (type == kString && waiting) {
            results.insert(waitingForText, unicodeString(data, 2, u16(data, 0)));
            waiting = false;
        }
        if (type != kFormula || data.size() < 14)
            continue;
        const quint64 key = cellKey(u16(data, 0), u16(data, 2));
        if (u16(data, 12) != 0xFFFF) {
            const quint64 bits = quint64(u32(data, 6)) | quint64(u32(data, 10)) << 32;
            double number = 0;
            std::memcpy(&number, &bits, sizeof number);
            results.insert(key, number);
            continue;
        }
        switch (data.at(6)) {
        case 0: waitingForText = key; waiting = true; break;       // text, in the next STRING record
        case 1: results.insert(key, data.at(8) ? QStringLiteral("TRUE") : QStringLiteral("FALSE")); break;
        default: break;                                           // an error or an empty text
        }
    }
    return results;
}
