#pragma once
#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <memory>

// The members of a zip file (an .xlsx or .ods workbook), each read as a stream: a member is
// inflated piece by piece as it is read, so a large worksheet never sits in memory whole.
class ZipArchive {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file is no zip archive.
    explicit ZipArchive(const QString& path);
    ~ZipArchive();

    bool contains(const QString& name) const { return m_members.contains(name); }
    // A member opened for reading; throws AppError (InvalidFile) when it is missing or damaged.
    std::unique_ptr<QIODevice> open(const QString& name);

    struct Member {
        quint16 method = 0;
        quint64 packedSize = 0;
        quint64 size = 0;
        quint64 headerOffset = 0;
    };

private:
    QString m_path;
    QFile m_file;
    QHash<QString, Member> m_members;
};
