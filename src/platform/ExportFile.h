#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QStringList>
#include <QVector>

// A text file of records written for other programs: UTF-8, every line ending in CR LF.
// Fixed width: each field is trimmed, cut or padded to its column's width in characters and
// followed by ";" (the last field too); nothing is quoted, a ";" inside a value is written as
// it is, a line break as a blank.
// CSV: comma-separated values as spreadsheets read them: a field holding a comma, a quote,
// a line break or surrounding blanks is quoted, with its quotes doubled; a field a spreadsheet
// would run as a formula (starting with "=", "+", "-", "@", tab or CR) gets a leading "'".
// The file is written beside its place and takes it only once complete: a run that fails or
// is stopped leaves the file that was there, and a read-only file is never replaced.
class ExportFile {
public:
    enum class Format { FixedWidth, Csv };

    // CSV for a file name ending in ".csv" (any letter case), fixed width otherwise.
    static Format formatFor(const QString& path);
    // Characters of a UTF-8 text once trimmed, as a fixed-width field counts them.
    static int textWidth(QByteArrayView field);

    // Starts the file that will replace any file of that name. widths: one per column (fixed width only).
    // Throws AppError when the file cannot be created.
    void open(const QString& path, Format format, const QVector<int>& widths = {});
    // One line: the header's column names or a record's values, in column order.
    void writeRecord(const QStringList& fields);
    // The same from UTF-8 texts (a row cursor's fields). Lines are gathered and written in
    // large pieces; a failed write throws AppError.
    void writeFields(const QVector<QByteArrayView>& fields);
    // Puts the complete file in its place. Throws AppError when it cannot be saved.
    void close();
    // Drops what was written (a run that did not finish); the file that was there stays.
    void discard();
    bool isOpen() const { return m_file.isOpen(); }

private:
    void appendFixed(QByteArrayView field, int width);
    void appendCsv(QByteArrayView field);
    void writeBuffer();
    void fail(const QString& what);

    QSaveFile m_file;
    Format m_format = Format::FixedWidth;
    QVector<int> m_widths;
    QByteArray m_buffer;
};
