#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QStringList>
#include <QVector>

// A text file of records written for other programs: UTF-8, every line ending in CR LF.
// Fixed width: each field is trimmed, cut or padded to its column's width and followed by
// ";" (the last field too); nothing is quoted, a ";" inside a value is written as it is.
// CSV: comma-separated values as spreadsheets read them: a field holding a comma, a quote,
// a line break or surrounding blanks is quoted, with its quotes doubled.
class ExportFile {
public:
    enum class Format { FixedWidth, Csv };

    // CSV for a file name ending in ".csv" (any letter case), fixed width otherwise.
    static Format formatFor(const QString& path);
    // Characters of a UTF-8 text once trimmed, as a fixed-width field counts them.
    static int textWidth(QByteArrayView field);

    // Creates the file, or replaces it. widths: one per column (fixed width only).
    // Throws AppError when the file cannot be created.
    void open(const QString& path, Format format, const QVector<int>& widths = {});
    // One line: the header's column names or a record's values, in column order.
    void writeRecord(const QStringList& fields);
    // The same from UTF-8 texts (a row cursor's fields). Lines are gathered and written in
    // large pieces; a failed write throws AppError.
    void writeFields(const QVector<QByteArrayView>& fields);
    // Throws AppError when what was written cannot be saved.
    void close();
    // Closes the file and deletes it (a run that did not finish).
    void discard();
    bool isOpen() const { return m_file.isOpen(); }

private:
    void appendFixed(QByteArrayView field, int width);
    void appendCsv(QByteArrayView field);
    void writeBuffer();
    void fail(const QString& what);

    QFile m_file;
    Format m_format = Format::FixedWidth;
    QVector<int> m_widths;
    QByteArray m_buffer;
};
