#include "platform/ZipArchive.h"

#include "platform/AppError.h"
#include "platform/WorksheetRows.h"

#include <QtEndian>

#include <zlib.h>

namespace {

const QString kSource = QStringLiteral("Workbook reader");
constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr qint64 kChunk = 1 << 16;

[[noreturn]] void damaged(const QString& path, const QString& why)
{
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1: %2").arg(path, why));
}

quint16 u16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 u32(const char* p) { return qFromLittleEndian<quint32>(p); }

// One member read from the archive's file: stored as it is, or inflated on the way.
class MemberDevice : public QIODevice {
public:
    MemberDevice(QFile& file, qint64 dataOffset, const ZipArchive::Member& member)
        : m_file(file), m_position(dataOffset), m_left(qint64(member.packedSize)), m_deflated(member.method == 8)
    {
        if (m_deflated && inflateInit2(&m_stream, -MAX_WBITS) != Z_OK)
            m_failed = true;
        open(QIODevice::ReadOnly);
    }
    ~MemberDevice() override
    {
        if (m_deflated)
            inflateEnd(&m_stream);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_done && QIODevice::atEnd(); }
    bool failed() const { return m_failed; }

protected:
    qint64 writeData(const char*, qint64) override { return -1; }
    qint64 readData(char* data, qint64 size) override
    {
        if (m_failed)
            return -1;
        if (size <= 0)
            return 0;
        if (!m_deflated)
            return readPacked(data, size);
        qint64 produced = 0;
        while (produced == 0 && !m_done) {
            if (m_stream.avail_in == 0 && m_left > 0) {
                m_input.resize(kChunk);
                const qint64 got = readPacked(m_input.data(), kChunk);
                if (got < 0)
                    return -1;
                m_stream.next_in = reinterpret_cast<Bytef*>(m_input.data());
                m_stream.avail_in = uInt(got);
            }
            m_stream.next_out = reinterpret_cast<Bytef*>(data);
            m_stream.avail_out = uInt(std::min<qint64>(size, 1 << 30));
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            produced = size - qint64(m_stream.avail_out);
            if (result == Z_STREAM_END) {
                m_done = true;
            } else if ((result != Z_OK && result != Z_BUF_ERROR) || (produced == 0 && m_stream.avail_in == 0 && m_left == 0)) {
                // Damaged data, or data that ends before the compressed stream does.
                m_failed = true;
                setErrorString(QStringLiteral("damaged compressed data"));
                return -1;
            }
        }
        return produced;
    }

private:
    qint64 readPacked(char* data, qint64 size)
    {
        const qint64 wanted = std::min(size, m_left);
        if (wanted == 0) {
            m_done = !m_deflated;
            return 0;
        }
        if (!m_file.seek(m_position) || m_file.read(data, wanted) != wanted) {
            m_failed = true;
            setErrorString(QStringLiteral("the file ends early"));
            return -1;
        }
        m_position += wanted;
        m_left -= wanted;
        return wanted;
    }

    QFile& m_file;
    qint64 m_position;
    qint64 m_left;
    bool m_deflated;
    bool m_done = false;
    bool m_failed = false;
    z_stream m_stream{};
    QByteArray m_input;
};

}

ZipArchive::ZipArchive(const QString& path) : m_path(path), m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        damaged(path, QStringLiteral("cannot be opened"));
    // The end-of-directory record lies in the last 64 KB (after it comes at most a comment).
    const qint64 size = m_file.size();
    const qint64 tailStart = std::max<qint64>(0, size - 65557);
    m_file.seek(tailStart);
    const QByteArray tail = m_file.readAll();
    qsizetype end = tail.size() - 22;
    while (end >= 0 && u32(tail.constData() + end) != kEndOfDirectory)
        --end;
    if (end < 0)
        damaged(path, QStringLiteral("not a zip archive"));
    const quint16 count = u16(tail.constData() + end + 10);
    const quint32 directorySize = u32(tail.constData() + end + 12);
    const quint32 directoryOffset = u32(tail.constData() + end + 16);
    if (qint64(directoryOffset) + directorySize > size || !m_file.seek(directoryOffset))
        damaged(path, QStringLiteral("damaged zip directory"));
    const QByteArray directory = m_file.read(directorySize);
    qsizetype at = 0;
    for (int i = 0; i < count; ++i) {
        if (at + 46 > directory.size() || u32(directory.constData() + at) != kDirectoryEntry)
            damaged(path, QStringLiteral("damaged zip directory"));
        const char* entry = directory.constData() + at;
        Member member;
        member.method = u16(entry + 10);
        member.packedSize = u32(entry + 20);
        member.size = u32(entry + 24);
        member.headerOffset = u32(entry + 42);
        const quint16 nameLength = u16(entry + 28);
        const qsizetype next = at + 46 + nameLength + u16(entry + 30) + u16(entry + 32);
        if (next > directory.size())
            damaged(path, QStringLiteral("damaged zip directory"));
        m_members.insert(QString::fromUtf8(entry + 46, nameLength), member);
        at = next;
    }
}

ZipArchive::~ZipArchive() = default;

std::unique_ptr<QIODevice> ZipArchive::open(const QString& name)
{
    const auto found = m_members.constFind(name);
    if (found == m_members.constEnd())
        damaged(m_path, QStringLiteral("no part %1").arg(name));
    const Member& member = *found;
    if (member.method != 0 && member.method != 8)
        damaged(m_path, QStringLiteral("part %1 is packed in an unknown way").arg(name));
    char header[30];
    if (!m_file.seek(qint64(member.headerOffset)) || m_file.read(header, 30) != 30 || u32(header) != kLocalHeader)
        damaged(m_path, QStringLiteral("damaged part %1").arg(name));
    const qint64 dataOffset = qint64(member.headerOffset) + 30 + u16(header + 26) + u16(header + 28);
    auto device = std::make_unique<MemberDevice>(m_file, dataOffset, member);
    if (device->failed())
        damaged(m_path, QStringLiteral("damaged part %1").arg(name));
    return device;
}
